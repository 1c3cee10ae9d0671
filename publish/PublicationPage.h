#pragma once

#include <string>

#include "engine/LockedDocument.h"

namespace nemora::publish {

// The page a publication writes out. One document belongs to one caller at a
// time: parallel publications each bring their own.
struct PublicationPage {
    // Loaded and compressed, its name block set.
    engine::LockedDocument& document;
    // The path it was loaded from: its last component names the output files,
    // and an interactive save proposes a folder from it.
    std::string path;
    // False only when the document already holds the key of the password
    // being published (an earlier publication took it): the stream is then
    // not enciphered again.
    bool passwordChanged = true;
    // False when the folder's shared files ("decoder.htm" and "decoder.jar",
    // or "nemora-strong.js") are written apart (WriteSharedFiles), once for
    // all the pages of a folder.
    bool sharedFiles = true;
    // The folder whose pages share a key the browser remembers (strong lock),
    // as a relative path from this page's folder: the top of a site.
    std::string siteTop = "./";
};

}  // namespace nemora::publish
