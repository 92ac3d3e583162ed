#pragma once

#include "host/picture_decoding.h"

#include <cstdint>
#include <functional>
#include <string>

// Decoding a picture in a process of its own. A picture file comes from the
// user, and its decoders are large and not ours: whatever a file makes them
// do, the program that asked must keep answering its input and its signals,
// and must get an answer in bounded time and memory. So the decoding runs in
// a child process under limits of CPU time and address space, and is killed
// when it runs past a deadline; the pixels come back through a pipe. A
// decoder that crashes, hangs or runs out of memory costs the picture, never
// the program. Only the child touches the picture's path, and it holds no
// descriptor of the parent's but its pipe; a child that does not end when it
// is killed (held in the kernel by a network mount that stopped answering) is
// given up, never waited for.
namespace host {

struct PictureDecodeLimits {
    // CPU seconds the child may spend, and the wall-clock deadline for the
    // whole decode, after which it is killed.
    int cpu_seconds = 10;
    int deadline_ms = 15000;
    // Address space the child may add to what it started with, beyond
    // three times the pixels of the limit (the decoder's picture, its
    // working memory and the copy that is sent back): room for the loaders
    // and their libraries.
    std::uint64_t extra_address_space = std::uint64_t(256) * 1024 * 1024;
};

// Called while the child decodes: wait until `fd` is readable or
// `timeout_ms` have passed, whichever comes first, and meanwhile deliver
// whatever input and signals arrive (which may end the process).
using PictureWait = std::function<void(int fd, int timeout_ms)>;

// What runs in the child: decode into the surface. decode_picture_file is
// the usual one; tests give others.
using PictureDecoder = std::function<PictureResult(gfx::Surface& out)>;

// decode_picture_file(path, out, max_pixels), in a child process as above.
// A decode past the deadline, over its CPU time or address space, or that
// ended without an answer, is refused as TooLarge (too costly) or Broken
// (the child died otherwise). Where no child can be started, the picture
// is decoded here instead.
PictureResult decode_picture_file_in_child(const std::string& path, gfx::Surface& out,
                                           std::int64_t max_pixels, const PictureWait& wait,
                                           const PictureDecodeLimits& limits = {});

// Whether `path` is a folder, found out by a child process within
// `deadline_ms` (false past it): for callers that must not be held by a
// network mount that stopped answering.
bool is_folder_in_child(const std::string& path, int deadline_ms);

// The same for any decoder; `out` gets its picture only when it is whole
// and within `max_pixels`.
PictureResult decode_in_child(const PictureDecoder& decode, gfx::Surface& out,
                              std::int64_t max_pixels, const PictureWait& wait,
                              const PictureDecodeLimits& limits = {});

} // namespace host
