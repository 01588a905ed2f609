#include "solvers/unpacked_model.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

#include "base/files.h"

namespace vardelmo {
namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

std::string system_words() { return std::generic_category().message(errno); }

/// Owns a zlib inflate stream from inflateInit2 until inflateEnd.
class Inflater {
 public:
  // 16 + the largest window: gzip's header and trailer, no other.
  Inflater() : ready_(inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK) {}
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  ~Inflater() {
    if (ready_) inflateEnd(&stream_);
  }
  bool ready() const { return ready_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ready_;
};

/// Unpacks `from` into `to`: empty when the whole of it was, else why not.
std::string unpack(const std::string& from, const std::string& to) {
  File in(std::fopen(from.c_str(), "rb"));
  if (!in) return from + ": " + system_words();
  File out(std::fopen(to.c_str(), "wb"));
  if (!out) return to + ": " + system_words();
  Inflater inflater;
  if (!inflater.ready()) return "zlib: " + std::string(zError(Z_MEM_ERROR));
  z_stream& stream = inflater.stream();
  std::vector<unsigned char> input(1 << 16), output(1 << 18);
  // Whether the last member read so far ended with its trailer.
  bool whole = false;
  for (;;) {
    if (stream.avail_in == 0) {
      stream.avail_in = static_cast<uInt>(std::fread(input.data(), 1, input.size(), in.get()));
      stream.next_in = input.data();
      if (std::ferror(in.get())) return from + ": " + system_words();
      if (stream.avail_in == 0) break;
    }
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    const int status = inflate(&stream, Z_NO_FLUSH);
    // After a whole member, what is no member is left, as gzip leaves it.
    if (status == Z_DATA_ERROR && whole && stream.total_out == 0) return {};
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
      return from + ": " + (stream.msg != nullptr ? stream.msg : zError(status));
    const std::size_t produced = output.size() - stream.avail_out;
    if (std::fwrite(output.data(), 1, produced, out.get()) != produced)
      return to + ": " + system_words();
    whole = status == Z_STREAM_END;
    // Another member may follow, as `cat a.gz b.gz` makes them.
    if (whole && inflateReset(&stream) != Z_OK) return "zlib: " + std::string(zError(Z_MEM_ERROR));
  }
  if (!whole) return from + ": " + "fim inesperado do arquivo comprimido";
  if (std::fclose(out.release()) != 0) return to + ": " + system_words();
  return {};
}

// A killed process's copy would stay for good: it goes before a new one is made.
OwnFolder make_folder() {
  const std::filesystem::path temporary = temporary_folder();
  remove_abandoned_folders(temporary);
  return OwnFolder(temporary, true);
}

}  // namespace

UnpackedModel::UnpackedModel(const std::string& model_path) : folder_(make_folder()) {
  if (!folder_.usable()) {
    failure_ = "não foi possível criar uma pasta temporária";
    return;
  }
  std::string name = split_path(model_path).back();
  if (ends_with(name, ".gz")) name.resize(name.size() - 3);
  const std::string copy = join_path(folder_.path(), name);
  failure_ = unpack(model_path, copy);
  if (failure_.empty()) path_ = copy;
}

}  // namespace vardelmo
