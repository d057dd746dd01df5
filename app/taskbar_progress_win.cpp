#include "app/taskbar_progress_win.h"

#include <objbase.h>

namespace qf {

namespace {
// Spelled out: the import libraries export some GUIDs as data, which a plain
// reference then misreads.
constexpr CLSID kTaskbarList = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
constexpr IID kTaskbarList3 = {0xea1afb91, 0x9e28, 0x4b86, {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};
}  // namespace

ITaskbarList3* TaskbarProgress::List() {
  if (!tried_) {
    tried_ = true;
    ITaskbarList3* list = nullptr;
    if (SUCCEEDED(::CoCreateInstance(kTaskbarList, nullptr, CLSCTX_INPROC_SERVER, kTaskbarList3,
                                     reinterpret_cast<void**>(&list))) &&
        list) {
      list_.reset(list);
      if (FAILED(list_->HrInit())) list_.reset();
    }
  }
  return list_.get();
}

void TaskbarProgress::Normal(int percent) {
  percent_ = percent;
  if (ITaskbarList3* list = List()) {
    list->SetProgressState(window_, TBPF_NORMAL);
    list->SetProgressValue(window_, static_cast<ULONGLONG>(percent), 100);
  }
}

void TaskbarProgress::Error() {
  if (ITaskbarList3* list = List()) {
    list->SetProgressState(window_, TBPF_ERROR);
    list->SetProgressValue(window_, static_cast<ULONGLONG>(percent_), 100);
  }
}

void TaskbarProgress::Clear() {
  if (ITaskbarList3* list = List()) list->SetProgressState(window_, TBPF_NOPROGRESS);
}

}  // namespace qf
