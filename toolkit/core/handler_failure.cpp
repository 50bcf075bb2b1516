#include "toolkit/core/handler_failure.h"

#include "toolkit/core/message_box.h"

namespace {

std::function<void(const std::exception_ptr&)> Installed;

}  // namespace

std::string ExceptionMessage(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

void ReportHandlerFailure(const std::exception_ptr& error) {
  if (!error) return;
  if (Installed)
    Installed(error);
  else
    ShowErrorBox(ExceptionMessage(error));
}

void SetHandlerFailureReport(std::function<void(const std::exception_ptr&)> report) {
  Installed = std::move(report);
}
