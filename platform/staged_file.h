#pragma once
// A download's destination file that never exists half-written: the body
// streams into "<path>.partial" beside the final path, and only Commit()
// moves it into place. Whatever is not committed is removed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/http_client.h"
#include "platform/unique_handle.h"

namespace qf {

class StagedFile final : public BodySink {
 public:
  // maxBytes: the largest body stored; a longer one is refused (TooLarge).
  StagedFile(std::wstring path, std::uint64_t maxBytes);
  ~StagedFile() override;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Opens the partial file at the first block, so that a reply whose body
  // never starts creates nothing. A file that cannot be opened or written
  // stops the transfer; Error() then tells why.
  bool Write(const std::uint8_t* bytes, std::size_t count) override;
  bool Accepts(std::int64_t announcedLength) override;

  // True when the body was refused for its size, before or while arriving.
  bool TooLarge() const { return tooLarge_; }
  std::uint64_t BytesWritten() const { return written_; }

  // The system error that stopped writing, or 0.
  DWORD Error() const { return error_; }

  // Moves the complete file into place, replacing what is there. On failure
  // returns the system error code and removes the partial file; 0 on success.
  DWORD Commit();

  // Closes and removes the partial file; nothing is kept.
  void Discard();

  const std::wstring& Path() const { return path_; }
  std::wstring PartialPath() const { return path_ + L".partial"; }

 private:
  bool Open();

  std::wstring path_;
  std::uint64_t maxBytes_;
  std::uint64_t written_ = 0;
  bool tooLarge_ = false;
  UniqueFile file_;
  bool created_ = false;
  DWORD error_ = 0;
};

}  // namespace qf
