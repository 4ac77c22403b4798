// GDAL's own messages during a run: its warnings said as they come ("warning: GDAL: ..."), its
// failures kept for the error that reports them, so that each is said once and named.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace formats {

class GdalMessages {
  public:
    // say: how a warning reaches the user. Installed on this thread until destroyed.
    explicit GdalMessages(std::function<void(const std::string&)> say);
    // Failures nobody reported are said as warnings.
    ~GdalMessages();
    GdalMessages(const GdalMessages&) = delete;
    GdalMessages& operator=(const GdalMessages&) = delete;

    // The failures since the last call, joined ("" when none), and forgotten.
    std::string TakeFailures();

  private:
    static void Handle(int level, int number, const char* text);
    std::function<void(const std::string&)> say_;
    std::vector<std::string> failures_;
};

}  // namespace formats
