#include "dcmReadTag.h"

#include "dcmCallbacks.h"
#include "detail/DicomFile.h"
#include "detail/PathSafety.h"

#include <cstdio>
#include <vector>

namespace dcmSDK {

namespace {
// Hostile files may nest sequences deeply or hold millions of elements; the list stops there.
const int kMaxDepth = 16;
const size_t kMaxEntries = 200000;
} // namespace

struct dcmReadTag::Impl {
    DicomFile file;
    std::string lastTag;
    std::vector<DCM_TAG_ENTRY> entries;
    bool listed = false;

    void add(DcmElement* elem, int depth)
    {
        if (entries.size() >= kMaxEntries)
            return;
        DcmTag tag = elem->getTag();
        DCM_TAG_ENTRY e{};
        std::string text(static_cast<size_t>(depth), '>');
        char buf[16];
        snprintf(buf, sizeof buf, "(%04X,%04X)", tag.getGTag(), tag.getETag());
        text += buf;
        copyToSlot(e.tag, sizeof e.tag, text);
        copyToSlot(e.value, sizeof e.value, file.elementText(elem));
        std::string name = tag.getTagName();
        if (name.empty() || name == DcmTag_ERROR_TagName)
            name = tag.isPrivate() ? "Private Tag" : "Unknown Tag";
        copyToSlot(e.description, sizeof e.description, name);
        e.flag = (depth > 0 || tag.isPrivate() || tag.getGTag() == 0x0002) ? 1 : 0;
        entries.push_back(e);
        if (elem->ident() == EVR_SQ && depth < kMaxDepth) {
            auto* sq = static_cast<DcmSequenceOfItems*>(elem);
            for (unsigned long i = 0; i < sq->card(); ++i)
                addItem(sq->getItem(i), depth + 1);
        }
    }

    void addItem(DcmItem* item, int depth)
    {
        if (!item)
            return;
        for (unsigned long i = 0; i < item->card(); ++i)
            if (DcmElement* elem = item->getElement(i))
                add(elem, depth);
    }
};

dcmReadTag::dcmReadTag() : _impl(new Impl) {}
dcmReadTag::~dcmReadTag() = default;

bool dcmReadTag::setFile(const std::string& path)
{
    _impl->entries.clear();
    _impl->listed = false;
    return _impl->file.load(path);
}

const char* dcmReadTag::getTag(unsigned short group, unsigned short element)
{
    if (!_impl->file.getString(group, element, _impl->lastTag))
        _impl->lastTag.clear();
    return _impl->lastTag.c_str();
}

const DCM_TAG_ENTRY* dcmReadTag::getTagList(int& count)
{
    count = 0;
    if (!_impl->file.isLoaded())
        return nullptr;
    if (!_impl->listed) {
        _impl->listed = true;
        _impl->addItem(_impl->file.format()->getMetaInfo(), 0);
        _impl->addItem(_impl->file.dataset(), 0);
    }
    count = static_cast<int>(_impl->entries.size());
    return count > 0 ? _impl->entries.data() : nullptr;
}

float dcmReadTag::getImageScale()
{
    uint16_t rows = 0, columns = 0;
    if (!_impl->file.getUint16(0x0028, 0x0010, rows) || !_impl->file.getUint16(0x0028, 0x0011, columns) ||
        rows == 0 || columns == 0)
        return 1.0f;
    return static_cast<float>(columns) / static_cast<float>(rows);
}

} // namespace dcmSDK
