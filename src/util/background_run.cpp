#include "util/background_run.h"

#include <exception>
#include <utility>

namespace corv {

BackgroundRun::~BackgroundRun() {
  RequestStop();
  Join();
}

bool BackgroundRun::Start(Work work, Done done) {
  if (Running()) return false;
  stop_.store(false);
  thread_ = std::thread([this, work = std::move(work), done = std::move(done)]() {
    std::string error;
    try {
      error = work(report_);
    } catch (const std::exception& e) {
      error = e.what();
      if (error.empty()) error = "erreur inattendue";
    }
    if (done) done(error);
  });
  return true;
}

void BackgroundRun::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace corv
