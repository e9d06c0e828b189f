#include "pe_image.h"

#include <cstdio>

namespace pidtool {
namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kExportDirectorySize = 40;
constexpr std::uint32_t kSectionExecutable = 0x20000000;  // IMAGE_SCN_MEM_EXECUTE
// Far beyond any real module; a larger count is corruption, not a module worth listing.
constexpr std::uint32_t kMaxExportNames = 65536;
constexpr std::size_t kMaxExportNameLength = 4096;

// Bounds-checked little-endian reads over the file's bytes.
class Bytes {
 public:
  Bytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  bool U16(std::uint64_t offset, std::uint16_t* value) const {
    if (!Has(offset, 2)) return false;
    *value = static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    return true;
  }
  bool U32(std::uint64_t offset, std::uint32_t* value) const {
    if (!Has(offset, 4)) return false;
    *value = 0;
    for (int i = 3; i >= 0; --i) *value = *value << 8 | data_[offset + i];
    return true;
  }
  // The NUL-terminated text at `offset`; false when the file ends before the NUL.
  bool Text(std::uint64_t offset, std::string* text) const {
    for (std::uint64_t end = offset; end < size_ && end - offset <= kMaxExportNameLength; ++end) {
      if (data_[end] == '\0') {
        text->assign(reinterpret_cast<const char*>(data_ + offset), end - offset);
        return true;
      }
    }
    return false;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

struct Section {
  std::uint32_t virtualSize;
  std::uint32_t virtualAddress;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
  std::uint32_t characteristics;
};

// The file offset of an RVA that lies in some section's raw data.
bool RvaToOffset(const std::vector<Section>& sections, std::uint32_t rva, std::uint64_t* offset) {
  for (const Section& section : sections) {
    if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize) {
      *offset = std::uint64_t{section.rawOffset} + (rva - section.virtualAddress);
      return true;
    }
  }
  return false;
}

// Whether an RVA lies in the memory of an executable section, as the loader maps it.
bool IsCode(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& section : sections) {
    const std::uint32_t size = section.virtualSize != 0 ? section.virtualSize : section.rawSize;
    if ((section.characteristics & kSectionExecutable) != 0 && rva >= section.virtualAddress &&
        rva - section.virtualAddress < size) {
      return true;
    }
  }
  return false;
}

// The export directory's address table and name ordinals, as far as they lie in the file.
class ExportAddresses {
 public:
  ExportAddresses(const Bytes& file, const std::vector<Section>& sections, std::uint64_t directory,
                  std::uint32_t nameCount)
      : file_(file) {
    std::uint32_t functionsRva = 0, ordinalsRva = 0;
    file.U32(directory + 20, &functionCount_);
    file.U32(directory + 28, &functionsRva);
    file.U32(directory + 36, &ordinalsRva);
    valid_ = functionCount_ <= kMaxExportNames && RvaToOffset(sections, functionsRva, &functions_) &&
             file.Has(functions_, std::uint64_t{functionCount_} * 4) &&
             RvaToOffset(sections, ordinalsRva, &ordinals_) && file.Has(ordinals_, std::uint64_t{nameCount} * 2);
  }

  // The RVA the table gives the i-th name; false when the table cannot say.
  bool AddressOfName(std::uint32_t i, std::uint32_t* rva) const {
    std::uint16_t ordinal = 0;
    return valid_ && file_.U16(ordinals_ + std::uint64_t{i} * 2, &ordinal) && ordinal < functionCount_ &&
           file_.U32(functions_ + std::uint64_t{ordinal} * 4, rva);
  }

 private:
  const Bytes& file_;
  std::uint32_t functionCount_ = 0;
  std::uint64_t functions_ = 0;
  std::uint64_t ordinals_ = 0;
  bool valid_ = false;
};

bool Fail(std::string* problem, const char* why) {
  *problem = why;
  return false;
}

}  // namespace

bool ReadPeImage(const unsigned char* data, std::size_t size, PeImageFacts* facts, std::string* problem) {
  const Bytes file(data, size);
  std::uint16_t mz = 0;
  std::uint32_t ntOffset = 0;
  if (!file.U16(0, &mz) || mz != 0x5A4D) return Fail(problem, "no MZ header: not a Windows module");
  if (!file.U32(0x3C, &ntOffset)) return Fail(problem, "the DOS header is cut short");
  std::uint32_t signature = 0;
  if (!file.U32(ntOffset, &signature) || signature != 0x00004550) {
    return Fail(problem, "no PE header where the DOS header points");
  }

  const std::uint64_t fileHeader = std::uint64_t{ntOffset} + 4;
  std::uint16_t machine = 0, sectionCount = 0, optionalSize = 0, characteristics = 0;
  if (!file.U16(fileHeader, &machine) || !file.U16(fileHeader + 2, &sectionCount) ||
      !file.U16(fileHeader + 16, &optionalSize) || !file.U16(fileHeader + 18, &characteristics)) {
    return Fail(problem, "the PE file header is cut short");
  }
  const std::uint64_t optional = fileHeader + 20;
  std::uint16_t magic = 0;
  if (!file.U16(optional, &magic) || !file.Has(optional, optionalSize)) {
    return Fail(problem, "the optional header is cut short");
  }
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
    return Fail(problem, "the optional header is neither PE32 nor PE32+");
  }
  // Where the count of data directories and the directories themselves lie.
  const std::uint64_t countAt = optional + (magic == kMagicPe32 ? 92 : 108);
  const std::uint64_t directoriesAt = countAt + 4;
  std::uint32_t directoryCount = 0, exportRva = 0, exportSize = 0;
  if (directoriesAt > optional + optionalSize || !file.U32(countAt, &directoryCount)) {
    return Fail(problem, "the optional header has no data directories");
  }
  const bool hasExportDirectory = directoryCount >= 1 && directoriesAt + 8 <= optional + optionalSize;
  if (hasExportDirectory &&
      (!file.U32(directoriesAt, &exportRva) || !file.U32(directoriesAt + 4, &exportSize))) {
    return Fail(problem, "the data directories are cut short");
  }

  std::vector<Section> sections;
  const std::uint64_t sectionTable = optional + optionalSize;
  if (!file.Has(sectionTable, std::uint64_t{sectionCount} * kSectionHeaderSize)) {
    return Fail(problem, "the section table is cut short");
  }
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t at = sectionTable + std::uint64_t{i} * kSectionHeaderSize;
    Section section{};
    file.U32(at + 8, &section.virtualSize);
    file.U32(at + 12, &section.virtualAddress);
    file.U32(at + 16, &section.rawSize);
    file.U32(at + 20, &section.rawOffset);
    file.U32(at + 36, &section.characteristics);
    sections.push_back(section);
  }

  PeImageFacts read;
  read.machine = machine;
  read.isDll = (characteristics & kFileDll) != 0;
  if (hasExportDirectory && exportRva != 0 && exportSize != 0) {
    std::uint64_t directory = 0;
    std::uint32_t nameCount = 0, namesRva = 0;
    if (!RvaToOffset(sections, exportRva, &directory) || !file.Has(directory, kExportDirectorySize)) {
      return Fail(problem, "the export directory lies outside the file");
    }
    file.U32(directory + 24, &nameCount);
    file.U32(directory + 32, &namesRva);
    if (nameCount > kMaxExportNames) return Fail(problem, "the export table claims too many names");
    std::uint64_t names = 0;
    if (nameCount > 0 &&
        (!RvaToOffset(sections, namesRva, &names) || !file.Has(names, std::uint64_t{nameCount} * 4))) {
      return Fail(problem, "the export name table lies outside the file");
    }
    const ExportAddresses addresses(file, sections, directory, nameCount);
    for (std::uint32_t i = 0; i < nameCount; ++i) {
      std::uint32_t nameRva = 0;
      std::uint64_t nameAt = 0;
      std::string name;
      file.U32(names + std::uint64_t{i} * 4, &nameRva);
      if (!RvaToOffset(sections, nameRva, &nameAt) || !file.Text(nameAt, &name)) {
        return Fail(problem, "an export name lies outside the file");
      }
      // An address inside the export directory is a forwarder: the text "module.name".
      std::uint32_t rva = 0;
      if (addresses.AddressOfName(i, &rva) && rva - exportRva >= exportSize && IsCode(sections, rva)) {
        read.exportedCode.push_back(name);
      }
      read.exportNames.push_back(std::move(name));
    }
  }
  *facts = std::move(read);
  return true;
}

std::string MachineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineI386: return "x86 (32-bit)";
    case kMachineAmd64: return "x64 (64-bit)";
    case kMachineArm64: return "ARM64";
  }
  char text[32];
  std::snprintf(text, sizeof text, "machine 0x%04X", machine);
  return text;
}

std::uint16_t OwnMachine() { return sizeof(void*) == 8 ? kMachineAmd64 : kMachineI386; }

}  // namespace pidtool
