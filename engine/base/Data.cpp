#include "base/Data.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace cocos2d {

const Data Data::Null;

Data::Data() : _bytes(nullptr), _size(0) {}

Data::Data(const Data& other) : _bytes(nullptr), _size(0)
{
    copy(other._bytes, other._size);
}

Data::Data(Data&& other) noexcept : _bytes(other._bytes), _size(other._size)
{
    other._bytes = nullptr;
    other._size = 0;
}

Data::~Data()
{
    clear();
}

Data& Data::operator=(const Data& other)
{
    if (this != &other) {
        copy(other._bytes, other._size);
    }
    return *this;
}

Data& Data::operator=(Data&& other) noexcept
{
    if (this != &other) {
        clear();
        std::swap(_bytes, other._bytes);
        std::swap(_size, other._size);
    }
    return *this;
}

bool Data::copy(const unsigned char* bytes, ssize_t size)
{
    clear();
    if (!bytes || size <= 0) {
        return false;
    }
    _bytes = static_cast<unsigned char*>(malloc(static_cast<size_t>(size)));
    if (!_bytes) {
        return false;
    }
    memcpy(_bytes, bytes, static_cast<size_t>(size));
    _size = size;
    return true;
}

void Data::fastSet(unsigned char* bytes, ssize_t size)
{
    if (bytes == _bytes) {
        _size = bytes ? size : 0;
        return;
    }
    clear();
    _bytes = bytes;
    _size = bytes ? size : 0;
}

void Data::clear()
{
    free(_bytes);
    _bytes = nullptr;
    _size = 0;
}

unsigned char* Data::takeBuffer(ssize_t* size)
{
    unsigned char* buffer = _bytes;
    if (size) {
        *size = _size;
    }
    _bytes = nullptr;
    _size = 0;
    return buffer;
}

} // namespace cocos2d
