#pragma once

namespace nemora::app {

// What the author chose in the message after a save: close it, open the
// folder written, or open the published page in the browser.
enum class PublishedChoice { Close, OpenFolder, OpenInBrowser };

}  // namespace nemora::app
