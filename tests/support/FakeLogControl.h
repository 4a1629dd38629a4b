#pragma once
// A log control for tests: keeps every RTF document it is given and, read
// back through the RTF reader, the plain text of each (UTF-8, without the
// closing paragraph break), so a test can check what the user would read.
// It streams out what it was given, as the log widget does.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CRtfReader.h"
#include "platform/CRtfWriter.h"
#include "platform/ILogControl.h"

namespace yarrow::test {

class FakeLogControl final : public ILogControl {
  public:
    void AppendRtf(const std::string& document, bool) override {
        documents.push_back(document);
        std::string text;
        for (RtfRun& run : CRtfReader::Read(document)) {
            text += run.paragraphBreak ? "\n" : run.text;
            runs.push_back(std::move(run));
        }
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        texts.push_back(text);
    }
    std::string StreamOutRtf() const override {
        return rtf.empty() ? CRtfWriter::WriteRtf(runs) : rtf;
    }
    std::string StreamOutText() const override { return CRtfWriter::WriteText(runs); }
    void Clear() override {
        runs.clear();
        documents.clear();
        texts.clear();
    }
    void SetBackgroundColor(std::uint32_t) override {}

    std::vector<std::string> documents;
    std::vector<std::string> texts;  // UTF-8
    std::vector<RtfRun> runs;
    std::string rtf;  // when set, what StreamOutRtf returns
};

}  // namespace yarrow::test
