#include "http/NSHttpRequest.h"

namespace NSUI {

NSHttpRequest* NSHttpRequest::create() {
    auto* request = new NSHttpRequest();
    request->autorelease();
    return request;
}

void NSHttpRequest::addFormFile(const std::string& name, const std::string& filePath,
                                const std::string& contentType) {
    NSHttpFormPart part;
    part.name = name;
    part.filePath = filePath;
    part.contentType = contentType;
    _formParts.push_back(part);
}

void NSHttpRequest::addFormText(const std::string& name, const std::string& text) {
    NSHttpFormPart part;
    part.name = name;
    part.text = text;
    _formParts.push_back(part);
}

} // namespace NSUI
