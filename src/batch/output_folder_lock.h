#pragma once
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/process.h"

namespace vardelmo {

/// True for the name of the mark a batch keeps in its output folder while
/// it runs, and of the folders it makes on the way to it: none is a model.
[[nodiscard]] bool is_output_folder_mark(const std::string& name);

/// One batch per output folder. The mark is a folder, `lote_em_andamento`,
/// made whole under another name and renamed (which exactly one batch can
/// do, also on a network file system), holding its batch's process number
/// and machine, a held file (let go of by the system with the process) and
/// a heartbeat rewritten every ten seconds. A batch on the same machine is
/// told to be gone by the held file; one on another machine, where the
/// file's lock may not reach, by a heartbeat silent for two minutes by the
/// file server's clock. The mark of a gone batch is removed.
class OutputFolderLock {
 public:
  /// Takes `folder` for this batch, unless another live batch holds it.
  /// Where no mark can be made (a folder this user may not write in) the
  /// batch goes on without one: the results files say what they cannot do.
  explicit OutputFolderLock(const std::string& folder);
  /// Stops the heartbeat and removes the mark.
  ~OutputFolderLock();
  OutputFolderLock(const OutputFolderLock&) = delete;
  OutputFolderLock& operator=(const OutputFolderLock&) = delete;

  /// Another live batch holds the folder: "<process number> em <machine>".
  [[nodiscard]] const std::optional<std::string>& holder() const { return holder_; }

  /// The same for a folder this batch does not take.
  [[nodiscard]] static std::optional<std::string> holder_of(const std::string& folder);

 private:
  void beat();

  std::filesystem::path mark_;
  std::optional<platform::HeldFile> held_;
  std::optional<std::string> holder_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::thread heartbeat_;
};

}  // namespace vardelmo
