#pragma once
// Fakes for driving CYarrowServ without sockets, and the hub's owner and
// sound as the net and card tests see them.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "net/CMsgDecoder.h"
#include "net/IHubCardState.h"
#include "net/IHubConnection.h"
#include "net/IHubListener.h"
#include "net/IHubOwner.h"
#include "platform/ISound.h"
#include "support/ScriptedPrompter.h"

namespace yarrow::test {

// Records everything written. With `draining` (the default) the network
// takes every byte at once; without it bytes stay queued until Take().
class FakeConnection : public IHubConnection {
  public:
    bool Write(std::string_view bytes, std::string& errorText) override {
        written.append(bytes);
        ++writes;
        if (!draining)
            unsent += bytes.size();
        return true;
    }
    std::size_t UnsentBytes() const override { return unsent; }
    void SetReadingPaused(bool value) override { paused = value; }
    void CloseGracefully() override { state = "graceful"; }
    void Abort() override { state = "aborted"; }

    // The network takes `bytes` of the queue.
    void Take(std::size_t bytes) { unsent -= std::min(bytes, unsent); }
    std::vector<CMsg> Records() const {
        CMsgDecoder decoder;
        decoder.Feed(written);
        std::vector<CMsg> records;
        for (CMsg msg; decoder.Next(msg) == CMsgDecoder::Status::Record;)
            records.push_back(msg);
        return records;
    }

    std::string written;
    int writes = 0;
    std::size_t unsent = 0;
    bool draining = true;
    bool paused = false;
    std::string state = "open";
};

class FakeListener : public IHubListener {
  public:
    bool Listen(int wanted, std::string& errorText, int& errorCode) override {
        if (fail) {
            errorText = "address in use";
            errorCode = 98;
            return false;
        }
        listening = true;
        port = wanted;
        return true;
    }
    void StopListening() override { listening = false; }
    int Port() const override { return listening ? port : 0; }

    bool fail = false;
    bool listening = false;
    int port = 0;
};

class FakeOwner : public IHubOwner {
  public:
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }
    void RunMemberListCommand() override {}
    std::vector<std::string> notices;
};

class FakeSound : public ISound {
  public:
    void Tone(int, int) override {}
    void ErrorBeep() override { ++errorBeeps; }
    int errorBeeps = 0;
};

}  // namespace yarrow::test
