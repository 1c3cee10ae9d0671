#include "publish/SiteManifest.h"

#include <algorithm>

#include "publish/ValueFormat.h"

namespace nemora::publish {

std::string SiteManifest::Text() {
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.path < b.path; });
    std::string text = R"({"version":1,"files":{)";
    bool first = true;
    for (const Entry& entry : entries_) {
        if (!first) text += ',';
        first = false;
        text += JsonString(entry.path);
        text += R"(:{"type":)";
        text += JsonString(entry.type);
        text += R"(,"size":)";
        text += std::to_string(entry.size);
        if (entry.page) text += R"(,"page":true)";
        if (entry.isPublic) text += R"(,"public":true)";
        text += '}';
    }
    return text + "}}";
}

}  // namespace nemora::publish
