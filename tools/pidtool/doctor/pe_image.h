#pragma once
// What a module file's headers say about it, read without loading it: the machine it was
// built for, whether it is a DLL, and the names it exports. Only the headers, the section
// table and the export directory with its tables are read. Every offset is checked against
// the image's size, so a truncated or corrupt file gives an answer, not a crash.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pidtool {

struct PeImageFacts {
  std::uint16_t machine = 0;             // IMAGE_FILE_HEADER.Machine
  bool isDll = false;                    // IMAGE_FILE_DLL in the characteristics
  std::vector<std::string> exportNames;  // in the export table's (sorted) order
  // The exported names whose address in the export table is code: it lies in an executable
  // section of the image and is no forwarder. A damaged table leaves names out of this list
  // that `exportNames` still holds; the loader would hand out their addresses all the same.
  std::vector<std::string> exportedCode;
};

// Where the reader takes an image's bytes from: a buffer, or a file read piece by piece.
class ImageBytes {
 public:
  virtual ~ImageBytes() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies the `count` bytes at `offset` to `out`; false unless all of them lie in the image.
  virtual bool Read(std::uint64_t offset, std::size_t count, void* out) = 0;
};

// Reads the headers and the export names of an image. On failure returns false and says why
// in `problem` ("no MZ header", "export directory lies outside the file", ...).
bool ReadPeImage(ImageBytes& image, PeImageFacts* facts, std::string* problem);
// The same over the bytes of a whole image in memory.
bool ReadPeImage(const unsigned char* data, std::size_t size, PeImageFacts* facts,
                 std::string* problem);

// The names of the DLLs an image imports, in the order of its import directory (delay-loaded
// DLLs are not among them). On failure returns false and says why in `problem`.
bool ReadPeImports(ImageBytes& image, std::vector<std::string>* dlls, std::string* problem);

// What a file is, read from its headers: whether it is there, and if so whether it is an image
// the reader understands, and what the headers say.
struct ModuleFile {
  bool found = false;
  bool readable = false;
  std::string problem;  // why it is not a module that could be read
  PeImageFacts image;
};
// `path` is UTF-8, as the tool keeps all text.
ModuleFile InspectModuleFile(const std::string& path);
// The DLLs the module file imports; false when they cannot be read.
bool ReadModuleImports(const std::string& path, std::vector<std::string>* dlls);

// "x86 (32-bit)", "x64 (64-bit)", "ARM64", or "machine 0x1234".
std::string MachineName(std::uint16_t machine);

// The machine of the images this program itself was built as.
std::uint16_t OwnMachine();

}  // namespace pidtool
