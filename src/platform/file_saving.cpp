#include "platform/file_saving.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace paginor {

namespace {

std::string Reason(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "Den Ordner gibt es nicht.";
    case EACCES:
    case EPERM:
      return "Keine Berechtigung, in diesen Ordner zu schreiben.";
    case EROFS:
      return "Der Datenträger ist schreibgeschützt.";
    case ENOSPC:
    case EDQUOT:
      return "Auf dem Datenträger ist kein Platz mehr.";
    case EFBIG:
      return "Die Datei ist zu groß für den Datenträger.";
    case EISDIR:
      return "Unter diesem Namen gibt es einen Ordner.";
    case ENAMETOOLONG:
      return "Der Name ist zu lang.";
    case EIO:
      return "Ein Fehler des Datenträgers.";
    default:
      return std::string("Ein Fehler beim Schreiben (") + std::strerror(error) + ").";
  }
}

// The mode a newly created file gets: what the user's umask allows of rw-rw-rw-. The umask
// can only be read by setting it, so it is read once: files are also written off the window
// thread, and two threads between set and reset would leave the process without a mask.
mode_t NewFileMode() {
  static const mode_t mask = [] {
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
  }();
  return static_cast<mode_t>(0666 & ~mask);
}

// Collects the produced bytes and writes them in large blocks.
class BufferedFile {
 public:
  explicit BufferedFile(int fd) : fd_(fd) { buffer_.reserve(kBlock); }
  bool Add(std::string_view bytes) {
    if (error_ != 0) return false;
    if (buffer_.size() + bytes.size() > kBlock && !Flush()) return false;
    if (bytes.size() >= kBlock) return WriteAll(bytes);
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool Flush() {
    if (error_ != 0) return false;
    const bool ok = WriteAll(std::string_view(buffer_.data(), buffer_.size()));
    buffer_.clear();
    return ok;
  }
  int Error() const { return error_; }

 private:
  static constexpr std::size_t kBlock = 1 << 16;
  bool WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error_ = n < 0 ? errno : EIO;
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  int fd_;
  int error_ = 0;
  std::vector<char> buffer_;
};

}  // namespace

std::optional<std::string> WriteFileAtomically(
    const std::string& path, const std::function<bool(const TByteSink&)>& produce) {
  if (path.empty()) return "Es ist kein Dateiname angegeben.";
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::path target(std::u8string(path.begin(), path.end()));
  // A link stays a link: the file it points at is replaced.
  if (fs::is_symlink(target, ignored)) {
    const fs::path real = fs::canonical(target, ignored);
    if (!real.empty()) target = real;
  }
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return Reason(EISDIR);
  if (exists && ::access(target.c_str(), W_OK) != 0) {
    return errno == EROFS ? Reason(EROFS) : "Die Datei ist schreibgeschützt.";
  }
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Reason(errno);

  BufferedFile file(fd);
  bool ok = produce([&file](std::string_view bytes) { return file.Add(bytes); });
  ok = ok && file.Flush();
  int error = file.Error();
  // The replaced file's mode, or a new file's. Not every file system keeps modes; the file is
  // written all the same.
  if (ok) ::fchmod(fd, exists ? (existing.st_mode & 07777) : NewFileMode());
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    error = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    // A producer that stopped on its own has nothing to tell about the disk.
    return error != 0 ? Reason(error) : "Der Inhalt der Datei konnte nicht erzeugt werden.";
  }
  return std::nullopt;
}

std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes) {
  return WriteFileAtomically(path, [bytes](const TByteSink& sink) { return sink(bytes); });
}

namespace {

bool CopiesOriginal(const TImageRec& image, TDibFormat format) {
  return (format == TDibFormat::Jpg || format == TDibFormat::Jif) && image.Bitmap.IsJpeg();
}

}  // namespace

std::string ImageFileBytes(const TImageRec& image, TDibFormat format) {
  if (CopiesOriginal(image, format)) return image.JpegBytes();
  return EncodeDib(image.Bitmap.Decode(), format);
}

std::optional<std::string> SaveImageFile(const TImageRec& image, const std::string& path,
                                         TDibFormat format, const TDIB& decoded) {
  if (CopiesOriginal(image, format)) {
    // Read again from the PDF file, which may have changed since.
    const std::string bytes = image.JpegBytes();
    if (bytes.empty()) return "Die Bilddaten sind beschädigt und lassen sich nicht lesen.";
    return WriteFileAtomically(path, bytes);
  }
  // Pictures are decoded only now, so damaged data may show up here first.
  const TDIB dib = decoded.HasBits() ? decoded : image.Bitmap.Decode();
  if (!dib.HasBits()) return "Die Bilddaten sind beschädigt und lassen sich nicht lesen.";
  const std::string bytes = EncodeDib(dib, format);
  if (bytes.empty()) return "Das Bild lässt sich in diesem Format nicht speichern.";
  return WriteFileAtomically(path, bytes);
}

std::optional<std::string> SaveDibFile(const TDIB& dib, const std::string& path,
                                       TDibFormat format) {
  const std::string bytes = EncodeDib(dib, format);
  if (bytes.empty()) return "Das Bild lässt sich in diesem Format nicht speichern.";
  return WriteFileAtomically(path, bytes);
}

}  // namespace paginor
