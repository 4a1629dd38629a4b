#pragma once
// A log control for tests: keeps every RTF document it is given and, read
// back through the RTF reader, the plain text of each (UTF-8, without the
// closing paragraph break), so a test can check what the user would read.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CRtfReader.h"
#include "platform/ILogControl.h"

namespace yarrow::test {

class FakeLogControl final : public ILogControl {
  public:
    void AppendRtf(const std::string& document, bool keepScrollPosition) override {
        documents.push_back(document);
        keptScroll.push_back(keepScrollPosition);
        std::string text;
        for (const RtfRun& run : CRtfReader::Read(document))
            text += run.paragraphBreak ? "\n" : run.text;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        texts.push_back(text);
    }
    std::string StreamOutRtf() const override { return rtf; }
    std::string StreamOutText() const override {
        std::string all;
        for (const std::string& text : texts)
            all += text + "\r\n";
        return all;
    }
    void Clear() override {
        documents.clear();
        keptScroll.clear();
        texts.clear();
    }
    void SetBackgroundColor(std::uint32_t rgb) override { background = rgb; }

    std::vector<std::string> documents;
    std::vector<bool> keptScroll;
    std::vector<std::string> texts;  // UTF-8
    std::string rtf;                 // what StreamOutRtf returns
    std::uint32_t background = 0;
};

}  // namespace yarrow::test
