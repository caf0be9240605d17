#include "http/UIHttpPhisical.h"

#include "http/NSHttpClient.h"
#include "http/NSHttpRequest.h"
#include "http/NSHttpResponse.h"
#include "http/ParentPath.h"
#include "json/UIJson.h"

namespace NSUI {

namespace {

const char* const kJsonContentType = "Content-Type: application/json; charset=utf-8";

} // namespace

UIHttpPhisical::~UIHttpPhisical() {
    // Without a client there is nothing to withdraw, and no reason to start libcurl here.
    if (_httpOwner && NSHttpClient::hasInstance())
        NSHttpClient::getInstance()->cancelRequestsForOwner(_httpOwner);
}

NSHttpRequest* UIHttpPhisical::makeRequest(int method, const std::string& url, const std::string& tag,
                                           const std::string& credentials, const std::string& header) {
    NSHttpRequest* request = NSHttpRequest::create();
    request->setUrl(url);
    request->setMethod(method);
    request->setOwner(_httpOwner);
    request->setTag(tag);
    if (method == NSHttpRequest::kMethodDownload) {
        request->setCallback(
            [this](NSHttpClient* client, NSHttpResponse* response) { loadHttpImage(client, response); });
    } else {
        request->setCallback(
            [this](NSHttpClient* client, NSHttpResponse* response) { onHttpComplete(client, response); });
    }
    if (!credentials.empty()) {
        request->addHeader("Authorization: Basic " + cocos2d::safeBase64Encode(credentials));
    }
    if (!header.empty()) {
        request->addHeader(header);
    } else if (method != NSHttpRequest::kMethodUpload) {
        // libcurl writes an upload's multipart content type with its boundary.
        request->addHeader(kJsonContentType);
    }
    return request;
}

void UIHttpPhisical::sendBodyRequest(int method, const std::string& url, const std::string& body,
                                     const std::string& tag, const std::string& credentials,
                                     const std::string& header) {
    NSHttpRequest* request = makeRequest(method, url, tag, credentials, header);
    request->setBody(body);
    NSHttpClient::getInstance()->send(request);
}

void UIHttpPhisical::get(std::string url, std::string body, std::string tag, std::string credentials,
                         std::string header) {
    sendBodyRequest(NSHttpRequest::kMethodGet, url, body, tag, credentials, header);
}

void UIHttpPhisical::post(std::string url, std::string body, std::string tag, std::string credentials,
                          std::string header) {
    sendBodyRequest(NSHttpRequest::kMethodPost, url, body, tag, credentials, header);
}

void UIHttpPhisical::put(std::string url, std::string body, std::string tag, std::string credentials,
                         std::string header) {
    sendBodyRequest(NSHttpRequest::kMethodPut, url, body, tag, credentials, header);
}

void UIHttpPhisical::del(std::string url, std::string body, std::string tag, std::string credentials,
                         std::string header) {
    sendBodyRequest(NSHttpRequest::kMethodDelete, url, body, tag, credentials, header);
}

void UIHttpPhisical::upload(std::string fieldName, std::string uploadInfo, std::string localPath,
                            std::string contentType, std::string tag, std::string url,
                            std::string credentials, std::string header) {
    NSHttpRequest* request = makeRequest(NSHttpRequest::kMethodUpload, url, tag, credentials, header);
    request->addFormFile(fieldName, localPath, contentType);
    request->addFormText("uploadInfo", uploadInfo);
    NSHttpClient::getInstance()->send(request);
}

void UIHttpPhisical::download(std::string url, std::string body, std::string localPath, std::string tag,
                              bool /*flag*/, std::string credentials, std::string header) {
    NSHttpRequest* request = makeRequest(NSHttpRequest::kMethodDownload, url, tag, credentials, header);
    request->setBody(body);
    request->setLocalFile(localPath);
    std::string folder = getParentPath(localPath);
    auto* files = cocos2d::FileUtils::getInstance();
    if (!folder.empty() && !files->isDirectoryExist(folder) && !files->createDirectory(folder)) {
        // The transfer still runs and reports the failure to write through the usual reply.
        cocos2d::log("http: cannot create folder %s for %s", folder.c_str(), localPath.c_str());
    }
    NSHttpClient::getInstance()->send(request);
}

UIHttpResponse* UIHttpPhisical::buildReply(NSHttpResponse* response) {
    UIHttpResponse* reply = UIHttpResponse::create();
    reply->tag = response->getRequest()->getTag();
    reply->success = response->isSucceed();
    reply->status = response->getResponseCode();
    const auto& body = response->getResponseData();
    reply->body = body.empty() ? response->getErrorText() : std::string(body.begin(), body.end());
    return reply;
}

void UIHttpPhisical::onHttpComplete(NSHttpClient* /*client*/, NSHttpResponse* response) {
    if (!response)
        return;
    onHttpResponse(buildReply(response));
}

void UIHttpPhisical::loadHttpImage(NSHttpClient* /*client*/, NSHttpResponse* response) {
    if (!response)
        return;
    UIHttpResponse* reply = buildReply(response);
    reply->body.clear();
    if (reply->success && reply->status == 200) {
        const std::string& localFile = response->getRequest()->getLocalFile();
        long size = cocos2d::FileUtils::getInstance()->getFileSize(localFile);
        UIJson::setJsonString(reply->body, "localFile", localFile);
        // Not "%i": a file past 2 GiB would come out negative.
        UIJson::setJsonString(reply->body, "fileSize", std::to_string(size));
    }
    onHttpResponse(reply);
}

void UIHttpPhisical::onHttpResponse(UIHttpResponse* /*response*/) {}

} // namespace NSUI
