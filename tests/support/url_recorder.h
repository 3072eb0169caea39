// Observes the web pages that programs in the test prefix open: winebrowser is
// told to hand every URL to scripts/url-recorder.sh, which appends it to
// build\opened-urls.txt.
#pragma once

#include <string>
#include <vector>

namespace testkit {

class UrlRecorder {
  public:
    // Routes URLs to the recorder and empties the record.
    UrlRecorder();
    // The URLs recorded so far, in order.
    std::vector<std::string> Urls() const;
    // Waits until `url` is recorded.
    bool WaitForUrl(const std::string& url) const;
    // Opens a marker URL of its own and waits for it, then returns the URLs
    // recorded before it: whatever a finished program opened is in the record by then.
    std::vector<std::string> UrlsBeforeMarker() const;

  private:
    std::string m_record;
};

} // namespace testkit
