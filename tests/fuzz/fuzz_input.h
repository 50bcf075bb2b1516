#pragma once

// Input helpers shared by the fuzz programs.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// The first byte names a separator; the rest is a stream cut after every occurrence of it. The fuzzer so
// controls both the bytes and how they arrive, and a real capture reads as itself behind any one byte.
struct TChunkedInput {
  std::string Stream;
  std::vector<std::string> Chunks, Bytes;  // Bytes: the stream one byte a piece
};

inline TChunkedInput SplitInput(const uint8_t* data, size_t size) {
  TChunkedInput in;
  if (size == 0) return in;
  const char separator = static_cast<char>(data[0]);
  in.Stream.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string chunk;
  for (char c : in.Stream) {
    in.Bytes.emplace_back(1, c);
    chunk += c;
    if (c == separator) in.Chunks.push_back(std::move(chunk)), chunk.clear();
  }
  if (!chunk.empty()) in.Chunks.push_back(std::move(chunk));
  return in;
}

// A broken property: say which, and crash so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

inline void Check(bool ok, const char* what) { if (!ok) Fail(what); }

}  // namespace fuzz
