#pragma once
// The rich log control as the core sees it: a control that only ever grows by whole
// RTF documents (one per line) and can stream its whole content out.
// Implemented by the Qt log widget; tests use a recording fake.

#include <cstdint>
#include <string>

namespace yarrow {

class ILogControl {
  public:
    virtual ~ILogControl() = default;
    // Appends one complete RTF document (code page 932 bytes) at the end. With
    // `keepScrollPosition` the view stays where it was (scroll lock);
    // otherwise it scrolls to show the new end.
    virtual void AppendRtf(const std::string& document, bool keepScrollPosition) = 0;
    // The whole log as RTF, before the colour-table fix-up.
    virtual std::string StreamOutRtf() const = 0;
    // The whole log as plain text, paragraphs ended by CR LF, code page 932.
    virtual std::string StreamOutText() const = 0;
    virtual void Clear() = 0;
    virtual void SetBackgroundColor(std::uint32_t rgb) = 0;
};

}  // namespace yarrow
