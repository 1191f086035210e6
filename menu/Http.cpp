#include "menu/Http.h"

#include <curl/curl.h>

int HttpConnectTimeoutMs = 4000;
int HttpTotalTimeoutMs = 10000;

namespace {

constexpr std::size_t MaxReply = 64 * 1024;   // the score server answers a line; anything bigger is not it

std::size_t Collect(char *data, std::size_t size, std::size_t count, void *user)
{
    auto *body = static_cast<std::string *>(user);
    const std::size_t n = size * count;
    if (body->size() + n > MaxReply)
        return 0;   // stops the transfer with an error
    body->append(data, n);
    return n;
}

} // namespace

bool HttpGet(const std::string &url, std::string &body)
{
    static const bool started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!started)
        return false;
    CURL *curl = curl_easy_init();
    if (!curl)
        return false;
    body.clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);   // time-outs without signals
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(HttpConnectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(HttpTotalTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Zephrona");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}
