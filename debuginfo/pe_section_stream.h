#pragma once
// A read-only stream over one section of a module in memory (image layout: each
// section at its virtual address from the module's base).
#include <cstdint>
#include <span>
#include <string>

#include "debuginfo/pe_format.h"
#include "platform/classlib/streams.h"

// True when `module` starts with a PE image's headers (see dbg::IsPeImage).
bool DbgIsPeImageInMemory(std::span<const std::uint8_t> module);

class TDbgPeSectionStream : public TCustomMemoryStream {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // The section starts at the module base plus its virtual address and is as long as
  // the smaller of its raw-data size and virtual size. Raises EDbgPeImageError for a
  // module without PE headers ("This is not a PE format"), without that section
  // ("Section "<name>" not found"), or whose section lies outside `module`.
  TDbgPeSectionStream(std::span<const std::uint8_t> module, const std::string& sectionName);

  // Raises EDbgPeImageError: the module's memory is never written.
  Int64 Write(const void* buffer, Int64 count) override;

  const TDbgPeSectionHeader& SectionHeader() const { return header_; }

 private:
  TDbgPeSectionHeader header_;
};
