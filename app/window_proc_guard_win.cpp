#include "app/window_proc_guard_win.h"

#include <exception>
#include <new>

#include "common/app_error.h"
#include "platform/text_conversion.h"

namespace qf {

std::wstring CurrentErrorMessage() noexcept {
  try {
    try {
      throw;
    } catch (const AppError& error) {
      return error.Message();
    } catch (const std::bad_alloc&) {
      return L"Memoria insufficiente";
    } catch (const std::exception& error) {
      return AnsiToWide(error.what());
    } catch (...) {
      return L"Errore imprevisto";
    }
  } catch (...) {
    return std::wstring();  // no memory left even for the message
  }
}

}  // namespace qf
