#pragma once

namespace nemora::engine::posix {

// Keeps a process's memory, and the passwords in it, from being written
// out or read by others.
class CoreDumps {
public:
    // Makes the process non-dumpable, so that a crash leaves no core file
    // (and other processes of the user cannot read its memory).
    static void Forbid();
};

}  // namespace nemora::engine::posix
