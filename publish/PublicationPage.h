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
};

}  // namespace nemora::publish
