#include "platform/staged_file.h"

#include <algorithm>

#include "platform/file_system.h"

namespace qf {

StagedFile::StagedFile(std::wstring path, std::uint64_t maxBytes) : path_(std::move(path)), maxBytes_(maxBytes) {}

bool StagedFile::Accepts(std::int64_t announcedLength) {
  if (announcedLength >= 0 && static_cast<std::uint64_t>(announcedLength) > maxBytes_) tooLarge_ = true;
  return !tooLarge_;
}

StagedFile::~StagedFile() { Discard(); }

bool StagedFile::Open() {
  // The folders are made when there is something to store, as late as the
  // file itself; a failure here shows as the file's own error below.
  CreateFolderWithParents(FolderPartOf(path_));
  // No sharing while it is written: nothing may start or copy a half file.
  file_.reset(::CreateFileW(PartialPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file_) {
    error_ = ::GetLastError();
    return false;
  }
  created_ = true;
  return true;
}

bool StagedFile::Write(const std::uint8_t* bytes, std::size_t count) {
  if (error_ || tooLarge_) return false;
  if (count > maxBytes_ - written_) {
    tooLarge_ = true;
    return false;
  }
  if (!file_ && !Open()) return false;
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes, chunk, &written, nullptr) || written == 0) {
      error_ = ::GetLastError();
      if (!error_) error_ = ERROR_WRITE_FAULT;
      return false;
    }
    bytes += written;
    count -= written;
    written_ += written;
  }
  return true;
}

DWORD StagedFile::Commit() {
  if (!error_ && !file_) Open();  // an empty body still makes an empty file
  if (!error_ && !::FlushFileBuffers(file_.get())) error_ = ::GetLastError();
  file_.reset();
  if (!error_ && !::MoveFileExW(PartialPath().c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error_ = ::GetLastError();
  if (error_) {
    Discard();
    return error_;
  }
  created_ = false;  // it is the installer now, no longer ours to remove
  return 0;
}

void StagedFile::Discard() {
  file_.reset();
  if (created_) ::DeleteFileW(PartialPath().c_str());
  created_ = false;
}

}  // namespace qf
