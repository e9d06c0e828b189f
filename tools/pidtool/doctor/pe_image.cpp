#include "doctor/pe_image.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "cli/text_format.h"

namespace pidtool {
namespace {

// Far beyond any real module; a larger count is corruption, not a module worth listing.
constexpr std::uint32_t kMaxExportNames = 65536;
constexpr std::size_t kMaxExportNameLength = 4096;
constexpr std::uint32_t kMaxImportedDlls = 4096;
// Larger files are no component module.
constexpr std::uint64_t kLargestModule = 256ull * 1024 * 1024;

class BufferBytes : public ImageBytes {
 public:
  BufferBytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t count, void* out) override {
    if (offset > size_ || count > size_ - offset) return false;
    std::memcpy(out, data_ + offset, count);
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

// Bounds-checked reads of the structures and texts of an image.
class Reader {
 public:
  explicit Reader(ImageBytes& image) : image_(image) {}

  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= image_.Size() && count <= image_.Size() - offset;
  }
  template <typename T>
  bool Get(std::uint64_t offset, T* value) {
    return image_.Read(offset, sizeof(T), value);
  }
  // The NUL-terminated text at `offset`; false when the image ends before the NUL. Read in
  // small pieces: a name is short, the limit only bounds a damaged one.
  bool Text(std::uint64_t offset, std::string* text) {
    constexpr std::size_t kPiece = 64;
    text->clear();
    while (offset < image_.Size() && text->size() <= kMaxExportNameLength) {
      char piece[kPiece];
      const std::uint64_t left = image_.Size() - offset;
      const std::size_t count = left < kPiece ? static_cast<std::size_t>(left) : kPiece;
      if (!image_.Read(offset, count, piece)) return false;
      const void* end = std::memchr(piece, '\0', count);
      text->append(piece, end != nullptr ? static_cast<const char*>(end) - piece : count);
      if (end != nullptr) return text->size() <= kMaxExportNameLength;
      offset += count;
    }
    return false;
  }

 private:
  ImageBytes& image_;
};

// The headers the rest is found from.
struct Headers {
  IMAGE_FILE_HEADER file{};
  std::uint64_t sectionTable = 0;  // the section table follows the optional header
  IMAGE_DATA_DIRECTORY exports{};  // all zero when the image has no export directory
  IMAGE_DATA_DIRECTORY imports{};  // likewise for the import directory
};

bool Fail(std::string* problem, const char* why) {
  *problem = why;
  return false;
}

// The export and import directory entries of an optional header of either kind, given its
// size in the file.
template <typename OptionalHeader>
bool ReadDirectoryEntries(Reader& image, std::uint64_t at, std::uint32_t size, Headers* headers,
                          std::string* problem) {
  constexpr std::uint64_t countAt = offsetof(OptionalHeader, NumberOfRvaAndSizes);
  constexpr std::uint64_t directoriesAt = offsetof(OptionalHeader, DataDirectory);
  DWORD directoryCount = 0;
  if (directoriesAt > size || !image.Get(at + countAt, &directoryCount)) {
    return Fail(problem, "the optional header has no data directories");
  }
  const std::pair<DWORD, IMAGE_DATA_DIRECTORY*> entries[] = {
      {IMAGE_DIRECTORY_ENTRY_EXPORT, &headers->exports},
      {IMAGE_DIRECTORY_ENTRY_IMPORT, &headers->imports}};
  for (const auto& [index, entry] : entries) {
    const std::uint64_t entryAt = directoriesAt + index * sizeof(IMAGE_DATA_DIRECTORY);
    if (directoryCount > index && entryAt + sizeof(IMAGE_DATA_DIRECTORY) <= size &&
        !image.Get(at + entryAt, entry)) {
      return Fail(problem, "the data directories are cut short");
    }
  }
  return true;
}

bool ReadHeaders(Reader& image, Headers* headers, std::string* problem) {
  IMAGE_DOS_HEADER dos{};
  if (!image.Get(0, &dos.e_magic) || dos.e_magic != IMAGE_DOS_SIGNATURE) {
    return Fail(problem, "no MZ header: not a Windows module");
  }
  if (!image.Get(0, &dos)) return Fail(problem, "the DOS header is cut short");
  const std::uint64_t ntAt = static_cast<DWORD>(dos.e_lfanew);
  DWORD signature = 0;
  if (!image.Get(ntAt, &signature) || signature != IMAGE_NT_SIGNATURE) {
    return Fail(problem, "no PE header where the DOS header points");
  }
  const std::uint64_t fileHeaderAt = ntAt + sizeof signature;
  if (!image.Get(fileHeaderAt, &headers->file))
    return Fail(problem, "the PE file header is cut short");
  const std::uint64_t optionalAt = fileHeaderAt + sizeof(IMAGE_FILE_HEADER);
  const std::uint32_t optionalSize = headers->file.SizeOfOptionalHeader;
  WORD magic = 0;
  if (!image.Get(optionalAt, &magic) || !image.Has(optionalAt, optionalSize)) {
    return Fail(problem, "the optional header is cut short");
  }
  headers->sectionTable = optionalAt + optionalSize;
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    return ReadDirectoryEntries<IMAGE_OPTIONAL_HEADER32>(image, optionalAt, optionalSize, headers,
                                                         problem);
  }
  if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    return ReadDirectoryEntries<IMAGE_OPTIONAL_HEADER64>(image, optionalAt, optionalSize, headers,
                                                         problem);
  }
  return Fail(problem, "the optional header is neither PE32 nor PE32+");
}

using Sections = std::vector<IMAGE_SECTION_HEADER>;

bool ReadSections(Reader& image, const Headers& headers, Sections* sections, std::string* problem) {
  const WORD count = headers.file.NumberOfSections;
  if (!image.Has(headers.sectionTable, std::uint64_t{count} * sizeof(IMAGE_SECTION_HEADER))) {
    return Fail(problem, "the section table is cut short");
  }
  sections->resize(count);
  for (WORD i = 0; i < count; ++i) {
    image.Get(headers.sectionTable + std::uint64_t{i} * sizeof(IMAGE_SECTION_HEADER),
              &(*sections)[i]);
  }
  return true;
}

// The file offset of an RVA that lies in some section's raw data.
bool RvaToOffset(const Sections& sections, std::uint32_t rva, std::uint64_t* offset) {
  for (const IMAGE_SECTION_HEADER& section : sections) {
    if (rva >= section.VirtualAddress && rva - section.VirtualAddress < section.SizeOfRawData) {
      *offset = std::uint64_t{section.PointerToRawData} + (rva - section.VirtualAddress);
      return true;
    }
  }
  return false;
}

// Whether an RVA lies in the memory of an executable section, as the loader maps it.
bool IsCode(const Sections& sections, std::uint32_t rva) {
  for (const IMAGE_SECTION_HEADER& section : sections) {
    const std::uint32_t size =
        section.Misc.VirtualSize != 0 ? section.Misc.VirtualSize : section.SizeOfRawData;
    if ((section.Characteristics & IMAGE_SCN_MEM_EXECUTE) != 0 && rva >= section.VirtualAddress &&
        rva - section.VirtualAddress < size) {
      return true;
    }
  }
  return false;
}

// The export directory's address table and name ordinals, as far as they lie in the file.
class ExportAddresses {
 public:
  ExportAddresses(Reader& image, const Sections& sections, const IMAGE_EXPORT_DIRECTORY& directory)
      : image_(image), functionCount_(directory.NumberOfFunctions) {
    valid_ = functionCount_ <= kMaxExportNames &&
             RvaToOffset(sections, directory.AddressOfFunctions, &functions_) &&
             image.Has(functions_, std::uint64_t{functionCount_} * sizeof(DWORD)) &&
             RvaToOffset(sections, directory.AddressOfNameOrdinals, &ordinals_) &&
             image.Has(ordinals_, std::uint64_t{directory.NumberOfNames} * sizeof(WORD));
  }

  // The RVA the table gives the i-th name; false when the table cannot say.
  bool AddressOfName(std::uint32_t i, DWORD* rva) {
    WORD ordinal = 0;
    return valid_ && image_.Get(ordinals_ + std::uint64_t{i} * sizeof(WORD), &ordinal) &&
           ordinal < functionCount_ &&
           image_.Get(functions_ + std::uint64_t{ordinal} * sizeof(DWORD), rva);
  }

 private:
  Reader& image_;
  std::uint32_t functionCount_;
  std::uint64_t functions_ = 0;
  std::uint64_t ordinals_ = 0;
  bool valid_ = false;
};

bool ReadExports(Reader& image, const Sections& sections, const IMAGE_DATA_DIRECTORY& entry,
                 PeImageFacts* facts, std::string* problem) {
  std::uint64_t directoryAt = 0, namesAt = 0;
  IMAGE_EXPORT_DIRECTORY directory{};
  if (!RvaToOffset(sections, entry.VirtualAddress, &directoryAt) ||
      !image.Get(directoryAt, &directory)) {
    return Fail(problem, "the export directory lies outside the file");
  }
  const std::uint32_t nameCount = directory.NumberOfNames;
  if (nameCount > kMaxExportNames) return Fail(problem, "the export table claims too many names");
  if (nameCount > 0 && (!RvaToOffset(sections, directory.AddressOfNames, &namesAt) ||
                        !image.Has(namesAt, std::uint64_t{nameCount} * sizeof(DWORD)))) {
    return Fail(problem, "the export name table lies outside the file");
  }
  ExportAddresses addresses(image, sections, directory);
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    DWORD nameRva = 0, rva = 0;
    std::uint64_t nameAt = 0;
    std::string name;
    image.Get(namesAt + std::uint64_t{i} * sizeof(DWORD), &nameRva);
    if (!RvaToOffset(sections, nameRva, &nameAt) || !image.Text(nameAt, &name)) {
      return Fail(problem, "an export name lies outside the file");
    }
    // An address inside the export directory is a forwarder: the text "module.name".
    if (addresses.AddressOfName(i, &rva) && rva - entry.VirtualAddress >= entry.Size &&
        IsCode(sections, rva)) {
      facts->exportedCode.push_back(name);
    }
    facts->exportNames.push_back(std::move(name));
  }
  return true;
}

// An image read from a file piece by piece: only what the reader asks for.
class FileBytes : public ImageBytes {
 public:
  FileBytes(std::ifstream& file, std::uint64_t size) : file_(file), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t count, void* out) override {
    if (offset > size_ || count > size_ - offset) return false;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(
        file_.read(static_cast<char*>(out), static_cast<std::streamsize>(count)));
  }

 private:
  std::ifstream& file_;
  std::uint64_t size_;
};

// Opens a module file for the reader; false (with `problem` saying why) when it cannot be read
// or is far larger than any module.
bool OpenModuleFile(const std::string& path, std::ifstream* file, std::uint64_t* size,
                    std::string* problem) {
  file->open(std::filesystem::u8path(path), std::ios::binary | std::ios::ate);
  const std::streamoff end = *file ? static_cast<std::streamoff>(file->tellg()) : -1;
  if (end < 0) return Fail(problem, "it cannot be read");
  if (static_cast<std::uint64_t>(end) > kLargestModule) {
    return Fail(problem, "it is larger than any component module (over 256 MiB)");
  }
  *size = static_cast<std::uint64_t>(end);
  return true;
}

}  // namespace

bool ReadPeImage(ImageBytes& bytes, PeImageFacts* facts, std::string* problem) {
  Reader image(bytes);
  Headers headers;
  Sections sections;
  if (!ReadHeaders(image, &headers, problem) || !ReadSections(image, headers, &sections, problem))
    return false;
  PeImageFacts read;
  read.machine = headers.file.Machine;
  read.isDll = (headers.file.Characteristics & IMAGE_FILE_DLL) != 0;
  if (headers.exports.VirtualAddress != 0 && headers.exports.Size != 0 &&
      !ReadExports(image, sections, headers.exports, &read, problem)) {
    return false;
  }
  *facts = std::move(read);
  return true;
}

bool ReadPeImage(const unsigned char* data, std::size_t size, PeImageFacts* facts,
                 std::string* problem) {
  BufferBytes bytes(data, size);
  return ReadPeImage(bytes, facts, problem);
}

bool ReadPeImports(ImageBytes& bytes, std::vector<std::string>* dlls, std::string* problem) {
  Reader image(bytes);
  Headers headers;
  Sections sections;
  if (!ReadHeaders(image, &headers, problem) || !ReadSections(image, headers, &sections, problem))
    return false;
  std::vector<std::string> names;
  std::uint64_t at = 0;
  if (headers.imports.VirtualAddress == 0 || headers.imports.Size == 0) {
    dlls->clear();
    return true;
  }
  if (!RvaToOffset(sections, headers.imports.VirtualAddress, &at)) {
    return Fail(problem, "the import directory lies outside the file");
  }
  // The descriptors end with one whose name is 0.
  for (std::uint32_t i = 0;; ++i, at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor{};
    if (i == kMaxImportedDlls || !image.Get(at, &descriptor)) {
      return Fail(problem, "the import directory is cut short or has no end");
    }
    if (descriptor.Name == 0) break;
    std::uint64_t nameAt = 0;
    std::string name;
    if (!RvaToOffset(sections, descriptor.Name, &nameAt) || !image.Text(nameAt, &name)) {
      return Fail(problem, "an imported DLL's name lies outside the file");
    }
    names.push_back(std::move(name));
  }
  *dlls = std::move(names);
  return true;
}

ModuleFile InspectModuleFile(const std::string& path) {
  ModuleFile facts;
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  facts.found = attributes != INVALID_FILE_ATTRIBUTES;
  if (!facts.found) return facts;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    facts.problem = "it is a folder";
    return facts;
  }
  std::ifstream file;
  std::uint64_t size = 0;
  if (OpenModuleFile(path, &file, &size, &facts.problem)) {
    FileBytes bytes(file, size);
    facts.readable = ReadPeImage(bytes, &facts.image, &facts.problem);
  }
  return facts;
}

bool ReadModuleImports(const std::string& path, std::vector<std::string>* dlls) {
  std::ifstream file;
  std::uint64_t size = 0;
  std::string problem;
  if (!OpenModuleFile(path, &file, &size, &problem)) return false;
  FileBytes bytes(file, size);
  return ReadPeImports(bytes, dlls, &problem);
}

std::string MachineName(std::uint16_t machine) {
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return "x86 (32-bit)";
    case IMAGE_FILE_MACHINE_AMD64: return "x64 (64-bit)";
    case IMAGE_FILE_MACHINE_ARM64: return "ARM64";
  }
  char text[32];
  std::snprintf(text, sizeof text, "machine 0x%04X", machine);
  return text;
}

std::uint16_t OwnMachine() {
  return sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
}

}  // namespace pidtool
