#pragma once

#include <cstdint>

#include "engine/ProgressSink.h"

namespace nemora::cli {

// Shows the status text of the strong key's derivation on its own line of
// standard error while it runs, when that is a terminal; the line is
// cleared when the sink goes. Never asks to stop.
class DerivationLine : public engine::ProgressSink {
public:
    DerivationLine();
    ~DerivationLine() override;
    DerivationLine(const DerivationLine&) = delete;
    DerivationLine& operator=(const DerivationLine&) = delete;

    bool Report(std::uint32_t units, std::uint32_t textId) override;

private:
    bool onTerminal_;
};

}  // namespace nemora::cli
