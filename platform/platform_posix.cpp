// POSIX implementation of the platform services, for native builds and tests.
// Message boxes, beeps, dialogs and the progress dialog are recorded, not shown.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sjis_lead_byte.h"
#include "platform/embedded_strings.h"
#include "platform/platform.h"
#include "platform/posix_recorder.h"

struct PlatformFile {
  int fd;
};

std::atomic<int> gProgressCancelled{0};
std::atomic<int> gProgressAbortRequested{0};

namespace {

struct Recorder {
  std::mutex lock;
  std::vector<RecordedMessageBox> messageBoxes;
  std::vector<RecordedProgressCall> progressCalls;
  std::vector<unsigned> beeps;
  std::vector<RecordedFileDialog> fileDialogs;
  std::map<int, std::string> errorTexts;
  WindowHandle unusableOwner = nullptr;
  std::deque<int> messageBoxAnswers;
  std::deque<std::string> fileDialogAnswers;
  bool sleepRecorded = false;
  uint64_t slept = 0;
  int64_t fixedTime = -1;
  int fixedOffset = 0;
  FileFaults faults;
  std::string programFolder;
  std::string cancelOnText;
};

Recorder& GetRecorder() {
  static Recorder recorder;
  return recorder;
}

// Uses up one injected failure of the given counter; true when the call must fail.
bool TakeFault(int FileFaults::*counter) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  if (r.faults.*counter <= 0) return false;
  --(r.faults.*counter);
  return true;
}

// "DAY\1301.dat" -> "DAY/1301.dat"; a '\' that is the trail byte of a
// two-byte character stays.
std::string ToPosixPath(const char* path) {
  std::string out;
  for (size_t i = 0; path[i] != 0; ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsSjisLeadByte(c) && path[i + 1] != 0) {
      out += path[i];
      out += path[++i];
    } else {
      out += (c == '\\') ? '/' : path[i];
    }
  }
  return out;
}

bool FolderOfPathExists(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return true;
  struct stat st {};
  return stat(path.substr(0, slash == 0 ? 1 : slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int ErrnoToWin32(int err, const std::string& path) {
  switch (err) {
    case ENOENT: return FolderOfPathExists(path) ? kErrorFileNotFound : kErrorPathNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case EEXIST: return kErrorAlreadyExists;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EWOULDBLOCK: return kErrorSharingViolation;
    case EINVAL: return kErrorInvalidParameter;
    default: return 31;  // ERROR_GEN_FAILURE
  }
}

// Makes a new directory entry durable as well.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

}  // namespace

// ---- Files -------------------------------------------------------------

int PlatformOpenFile(const char* path, FileOpenMode mode, PlatformFile** file) {
  *file = nullptr;
  const std::string p = ToPosixPath(path);
  if (TakeFault(&FileFaults::failOpens)) return GetFileFaults().openError;
  const int flags = (mode == FileOpenMode::kReadExisting) ? O_RDONLY : (O_RDWR | O_CREAT | O_TRUNC);
  // Open without truncating first: an exclusive lock held by someone else must
  // refuse the open before the file is touched.
  const int fd = open(p.c_str(), (flags & ~O_TRUNC) | O_CLOEXEC, 0666);
  if (fd < 0) return ErrnoToWin32(errno, p);
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    return kErrorAccessDenied;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return kErrorSharingViolation;
  }
  if ((flags & O_TRUNC) && ftruncate(fd, 0) != 0) {
    const int err = ErrnoToWin32(errno, p);
    close(fd);
    return err;
  }
  *file = new PlatformFile{fd};
  return 0;
}

int PlatformGetOpenFileSize(PlatformFile* file, int64_t* size) {
  struct stat st {};
  if (fstat(file->fd, &st) != 0) return ErrnoToWin32(errno, std::string());
  *size = st.st_size;
  return 0;
}

int PlatformReadFile(PlatformFile* file, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (TakeFault(&FileFaults::failReads)) return kErrorReadFault;
  const uint32_t limit = TakeFault(&FileFaults::shortReads) ? count / 2 : count;
  auto* out = static_cast<char*>(buffer);
  while (*done < limit) {
    const ssize_t n = read(file->fd, out + *done, limit - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoToWin32(errno, std::string());
    }
    if (n == 0) break;
    *done += static_cast<uint32_t>(n);
  }
  return 0;
}

int PlatformWriteFile(PlatformFile* file, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  uint32_t limit = count;
  bool fail = false;
  int failError = 0;
  {
    Recorder& r = GetRecorder();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.faults.failWrites > 0) {
      --r.faults.failWrites;
      fail = true;
      failError = r.faults.writeError;
      if (r.faults.writeBytesBeforeFailure < limit) limit = r.faults.writeBytesBeforeFailure;
    } else if (r.faults.shortWrites > 0) {
      --r.faults.shortWrites;
      limit = count / 2;
    }
  }
  const auto* in = static_cast<const char*>(buffer);
  while (*done < limit) {
    const ssize_t n = write(file->fd, in + *done, limit - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoToWin32(errno, std::string());
    }
    *done += static_cast<uint32_t>(n);
  }
  return fail ? failError : 0;
}

int PlatformSeekToStart(PlatformFile* file) {
  return lseek(file->fd, 0, SEEK_SET) < 0 ? ErrnoToWin32(errno, std::string()) : 0;
}

int PlatformFlushFile(PlatformFile* file) {
  if (TakeFault(&FileFaults::failFlushes)) return kErrorWriteFault;
  return fsync(file->fd) != 0 ? ErrnoToWin32(errno, std::string()) : 0;
}

void PlatformCloseFile(PlatformFile* file) {
  if (file == nullptr) return;
  close(file->fd);
  delete file;
}

int PlatformReplaceFile(const char* from, const char* to) {
  if (TakeFault(&FileFaults::failReplaces)) return kErrorAccessDenied;
  const std::string src = ToPosixPath(from);
  const std::string dst = ToPosixPath(to);
  if (rename(src.c_str(), dst.c_str()) != 0) return ErrnoToWin32(errno, dst);
  SyncFolderOf(dst);
  return 0;
}

namespace {

bool TakeCopyFault() {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  if (r.faults.failCopies <= 0) return false;
  if (r.faults.skipCopies > 0) {
    --r.faults.skipCopies;
    return false;
  }
  --r.faults.failCopies;
  return true;
}

}  // namespace

int PlatformCopyFile(const char* from, const char* to) {
  if (TakeCopyFault()) return kErrorSharingViolation;
  const std::string src = ToPosixPath(from);
  const std::string dst = ToPosixPath(to);
  const int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return ErrnoToWin32(errno, src);
  const int out = open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    const int error = ErrnoToWin32(errno, dst);
    close(in);
    return error;
  }
  char buffer[65536];
  int error = 0;
  for (;;) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) error = ErrnoToWin32(errno, src);
      break;
    }
    if (write(out, buffer, static_cast<size_t>(n)) != n) {
      error = kErrorDiskFull;
      break;
    }
  }
  close(in);
  if (close(out) != 0 && error == 0) error = ErrnoToWin32(errno, dst);
  return error;
}

int PlatformRenameFolder(const char* from, const char* to) {
  if (TakeFault(&FileFaults::failReplaces)) return kErrorAccessDenied;
  const std::string src = ToPosixPath(from);
  const std::string dst = ToPosixPath(to);
  struct stat st {};
  if (stat(dst.c_str(), &st) == 0) return kErrorAlreadyExists;
  if (rename(src.c_str(), dst.c_str()) != 0) return ErrnoToWin32(errno, dst);
  return 0;
}

int PlatformMoveFile(const char* from, const char* to) {
  if (TakeFault(&FileFaults::failReplaces)) return kErrorAccessDenied;
  const std::string src = ToPosixPath(from);
  const std::string dst = ToPosixPath(to);
  // A link, unlike rename, fails when the target exists.
  if (link(src.c_str(), dst.c_str()) != 0) return ErrnoToWin32(errno, dst);
  if (unlink(src.c_str()) != 0) {
    const int error = ErrnoToWin32(errno, src);
    unlink(dst.c_str());
    return error;
  }
  SyncFolderOf(dst);
  return 0;
}

int PlatformDeleteFile(const char* path) {
  if (TakeFault(&FileFaults::failDeletes)) return kErrorAccessDenied;
  const std::string p = ToPosixPath(path);
  struct stat st {};
  if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kErrorAccessDenied;
  return unlink(p.c_str()) != 0 ? ErrnoToWin32(errno, p) : 0;
}

int PlatformCreateFolder(const char* path) {
  const std::string p = ToPosixPath(path);
  if (mkdir(p.c_str(), 0777) == 0) return 0;
  if (errno == EEXIST) {
    struct stat st {};
    if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return 0;
  }
  return ErrnoToWin32(errno, p);
}

int PlatformRemoveFolder(const char* path) {
  const std::string p = ToPosixPath(path);
  return rmdir(p.c_str()) != 0 ? ErrnoToWin32(errno, p) : 0;
}

int PlatformGetFileDate(const char* path, int* year, int* month, int* day) {
  const std::string p = ToPosixPath(path);
  struct stat st {};
  if (stat(p.c_str(), &st) != 0) return ErrnoToWin32(errno, p);
  struct tm tm {};
  const time_t t = st.st_mtime;
  gmtime_r(&t, &tm);
  *year = tm.tm_year + 1900;
  *month = tm.tm_mon + 1;
  *day = tm.tm_mday;
  return 0;
}

int PlatformListFolder(const char* folder, FolderEntryFn fn, void* context) {
  std::string p = ToPosixPath(folder);
  if (p.empty()) p = ".";
  DIR* dir = opendir(p.c_str());
  if (dir == nullptr) return ErrnoToWin32(errno, p + "/");
  std::vector<std::pair<std::string, bool>> entries;
  while (const dirent* e = readdir(dir)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    struct stat st {};
    const std::string full = p + (p.back() == '/' ? "" : "/") + e->d_name;
    const bool isFolder = lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries.emplace_back(e->d_name, isFolder);
  }
  closedir(dir);
  // Reported after the listing is closed, so the callback may change the folder.
  for (const auto& [name, isFolder] : entries) fn(context, name.c_str(), isFolder);
  return 0;
}

bool PlatformFolderHoldsAnyFile(const char* folder) {
  std::string p = ToPosixPath(folder);
  if (p.empty()) p = ".";
  DIR* dir = opendir(p.c_str());
  if (dir == nullptr) return false;
  bool any = false;
  while (!any) {
    const dirent* e = readdir(dir);
    if (e == nullptr) break;
    struct stat st {};
    const std::string full = p + (p.back() == '/' ? "" : "/") + e->d_name;
    any = lstat(full.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }
  closedir(dir);
  return any;
}

int PlatformSetCurrentFolder(const char* path) {
  const std::string p = ToPosixPath(path);
  return chdir(p.c_str()) != 0 ? ErrnoToWin32(errno, p + "/") : 0;
}

bool PlatformGetCurrentFolder(char* out, size_t size) {
  if (size < 2 || getcwd(out, size - 1) == nullptr) return false;
  const size_t n = strlen(out);
  if (out[n - 1] != '/') {
    out[n] = '/';
    out[n + 1] = 0;
  }
  return true;
}

bool PlatformGetProgramFolder(char* out, size_t size) {
  std::string folder;
  {
    Recorder& r = GetRecorder();
    std::lock_guard<std::mutex> guard(r.lock);
    folder = r.programFolder;
  }
  if (folder.empty()) {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return false;
    buf[n] = 0;
    folder = buf;
    folder.resize(folder.find_last_of('/') + 1);
  }
  if (folder.size() + 1 > size) return false;
  memcpy(out, folder.c_str(), folder.size() + 1);
  return true;
}

// Native builds have none: tests hand the backup code a folder of their own.
bool PlatformGetDocumentsFolder(char*, size_t) { return false; }

// ---- Time, memory, processors --------------------------------------------

void PlatformSleep(uint32_t milliseconds) {
  {
    Recorder& r = GetRecorder();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.sleepRecorded) {
      r.slept += milliseconds;
      return;
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t PlatformGetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

int64_t PlatformGetUnixTime() {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.fixedTime >= 0 ? r.fixedTime : static_cast<int64_t>(time(nullptr));
}

int PlatformGetLocalUtcOffset(int64_t unixTime) {
  {
    Recorder& r = GetRecorder();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.fixedTime >= 0) return r.fixedOffset;
  }
  struct tm tm {};
  const time_t t = static_cast<time_t>(unixTime);
  localtime_r(&t, &tm);
  return static_cast<int>(tm.tm_gmtoff);
}

namespace {

// Memory the system can hand out without swapping, page cache included, as
// Windows counts it for its memory load; free pages alone where the kernel
// does not say.
uint64_t AvailableMemoryBytes(long pageSize) {
  if (FILE* info = fopen("/proc/meminfo", "r")) {
    char line[128];
    unsigned long long kilobytes = 0;
    bool found = false;
    while (!found && fgets(line, sizeof line, info) != nullptr) {
      found = sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1;
    }
    fclose(info);
    if (found) return kilobytes * 1024ull;
  }
  return static_cast<uint64_t>(sysconf(_SC_AVPHYS_PAGES)) * static_cast<uint64_t>(pageSize);
}

}  // namespace

void PlatformGetMemoryStatus(uint32_t* loadPercent, uint64_t* totalPhysical) {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  *totalPhysical = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
  const uint64_t available = std::min(AvailableMemoryBytes(pageSize), *totalPhysical);
  *loadPercent = *totalPhysical > 0 ? static_cast<uint32_t>(100 - available * 100 / *totalPhysical) : 0;
}

int PlatformGetProcessorCount() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

// ---- Texts and the user ---------------------------------------------------

int PlatformLoadString(int id, char* out, int size) {
  if (size <= 0) return 0;
  out[0] = 0;
  for (int i = 0; i < kEmbeddedStringCount; ++i) {
    if (kEmbeddedStrings[i].id != id) continue;
    snprintf(out, static_cast<size_t>(size), "%s", kEmbeddedStrings[i].text);
    return static_cast<int>(strlen(out));
  }
  return 0;
}

bool PlatformGetErrorText(int code, char* out, size_t size) {
  if (size == 0) return false;
  out[0] = 0;
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  const auto found = r.errorTexts.find(code);
  if (found == r.errorTexts.end()) return false;
  snprintf(out, size, "%s", found->second.c_str());
  return out[0] != 0;
}

bool PlatformIsUsableOwner(WindowHandle window) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  return window != nullptr && window != r.unusableOwner;
}

int PlatformMessageBox(WindowHandle owner, const char* text, const char* title, unsigned flags) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.messageBoxes.push_back({owner, text ? text : "", title ? title : "", flags});
  if (r.messageBoxAnswers.empty()) return kIdOk;
  const int answer = r.messageBoxAnswers.front();
  r.messageBoxAnswers.pop_front();
  return answer;
}

void PlatformBeep(unsigned soundFlags) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.beeps.push_back(soundFlags);
}

namespace {

// "name\0pattern\0...\0\0" as one string, its final empty entry included.
std::string FilterListText(const char* filter) {
  if (filter == nullptr) return std::string();
  size_t n = 0;
  while (filter[n] != 0 || filter[n + 1] != 0) ++n;
  return std::string(filter, n + 2);
}

bool TakeFileDialogAnswer(RecordedFileDialog dialog, char* path, char* fileTitle) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.fileDialogs.push_back(std::move(dialog));
  if (r.fileDialogAnswers.empty()) return false;
  const std::string answer = r.fileDialogAnswers.front();
  r.fileDialogAnswers.pop_front();
  if (answer.empty() || answer.size() >= 260) return false;
  memcpy(path, answer.c_str(), answer.size() + 1);
  if (fileTitle != nullptr) {
    const size_t cut = answer.find_last_of("\\/");
    snprintf(fileTitle, 259, "%s", answer.c_str() + (cut == std::string::npos ? 0 : cut + 1));
  }
  return true;
}

}  // namespace

bool PlatformPromptOpenFile(WindowHandle owner, const char* title, char* path, const char* filter) {
  return TakeFileDialogAnswer({false, owner, title ? title : "", FilterListText(filter), "", ""}, path, nullptr);
}

bool PlatformPromptSaveFile(WindowHandle owner, const char* title, char* path, char* fileTitle, const char* filter,
                            const char* defaultExtension) {
  return TakeFileDialogAnswer(
      {true, owner, title ? title : "", FilterListText(filter), defaultExtension ? defaultExtension : "", ""}, path,
      fileTitle);
}

bool PlatformPromptSaveFileInFolder(WindowHandle owner, const char* title, const char* folder, char* path,
                                    const char* filter, const char* defaultExtension) {
  return TakeFileDialogAnswer({true, owner, title ? title : "", FilterListText(filter),
                               defaultExtension ? defaultExtension : "", folder ? folder : ""},
                              path, nullptr);
}

// ---- The progress dialog ----------------------------------------------------

namespace {

void RecordProgress(const char* call, int value, const char* text) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.progressCalls.push_back({call, value, text ? text : ""});
}

int gFakeProgressDialog;

}  // namespace

WindowHandle PlatformProgressOpen(WindowHandle, bool showCancel, const char* title) {
  RecordProgress("open", showCancel ? 1 : 0, title);
  return &gFakeProgressDialog;
}

void PlatformProgressSetBar(int position) { RecordProgress("bar", position, nullptr); }
void PlatformProgressSetText(int line, const char* text) {
  RecordProgress("text", line, text);
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  if (r.cancelOnText.empty() || text == nullptr || std::strstr(text, r.cancelOnText.c_str()) == nullptr) return;
  r.cancelOnText.clear();
  gProgressCancelled = 1;
}
void PlatformProgressEnableCancel(bool enable) { RecordProgress("cancel", enable ? 1 : 0, nullptr); }
void PlatformProgressShowAbort(bool show) { RecordProgress("abort", show ? 1 : 0, nullptr); }
void PlatformProgressClose() { RecordProgress("close", 0, nullptr); }
void PlatformPumpMessages() {}

// ---- Waiting for worker threads -------------------------------------------

struct PlatformWakeSignal {
  std::mutex lock;
  std::condition_variable raised;
  bool isRaised = false;
};

PlatformWakeSignal* PlatformCreateWakeSignal() { return new (std::nothrow) PlatformWakeSignal; }

void PlatformDestroyWakeSignal(PlatformWakeSignal* signal) { delete signal; }

void PlatformRaiseWakeSignal(PlatformWakeSignal* signal) {
  {
    std::lock_guard<std::mutex> guard(signal->lock);
    signal->isRaised = true;
  }
  signal->raised.notify_all();
}

bool PlatformWaitPumping(PlatformWakeSignal* signal, uint32_t milliseconds) {
  bool isRaised = false;
  {
    std::unique_lock<std::mutex> guard(signal->lock);
    isRaised =
        signal->raised.wait_for(guard, std::chrono::milliseconds(milliseconds), [signal] { return signal->isRaised; });
  }
  PlatformPumpMessages();
  return isRaised;
}

// ---- Recorder interface -----------------------------------------------------

namespace {

// Returns what was recorded in the field and empties it.
template <typename Recording>
Recording TakeRecorded(Recording Recorder::*field) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  return std::exchange(r.*field, Recording{});
}

}  // namespace

std::vector<RecordedMessageBox> TakeRecordedMessageBoxes() { return TakeRecorded(&Recorder::messageBoxes); }
std::vector<RecordedProgressCall> TakeRecordedProgressCalls() { return TakeRecorded(&Recorder::progressCalls); }
std::vector<unsigned> TakeRecordedBeeps() { return TakeRecorded(&Recorder::beeps); }
std::vector<RecordedFileDialog> TakeRecordedFileDialogs() { return TakeRecorded(&Recorder::fileDialogs); }

void QueueMessageBoxAnswer(int answer) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.messageBoxAnswers.push_back(answer);
}

void QueueFileDialogAnswer(const std::string& path) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.fileDialogAnswers.push_back(path);
}

void SetSleepRecorded(bool recorded) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.sleepRecorded = recorded;
}

uint64_t TakeSleptMilliseconds() { return TakeRecorded(&Recorder::slept); }

void SetFixedClock(int64_t unixTime, int utcOffsetSeconds) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.fixedTime = unixTime;
  r.fixedOffset = utcOffsetSeconds;
}

void SetFileFaults(const FileFaults& faults) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.faults = faults;
}

FileFaults GetFileFaults() {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.faults;
}

void SetSystemErrorText(int code, const std::string& text) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.errorTexts[code] = text;
}

void SetUnusableOwner(WindowHandle window) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.unusableOwner = window;
}

void SetProgramFolder(const std::string& folder) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.programFolder = folder;
}

void ResetPlatformRecorder() {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.messageBoxes.clear();
  r.progressCalls.clear();
  r.beeps.clear();
  r.fileDialogs.clear();
  r.errorTexts.clear();
  r.unusableOwner = nullptr;
  r.messageBoxAnswers.clear();
  r.fileDialogAnswers.clear();
  r.cancelOnText.clear();
  r.sleepRecorded = false;
  r.slept = 0;
  r.fixedTime = -1;
  r.fixedOffset = 0;
  r.faults = FileFaults{};
  r.programFolder.clear();
}

void CancelProgressOnText(const std::string& fragment) {
  Recorder& r = GetRecorder();
  std::lock_guard<std::mutex> guard(r.lock);
  r.cancelOnText = fragment;
}
