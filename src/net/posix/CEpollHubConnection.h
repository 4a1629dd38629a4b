#pragma once
// One accepted participant on a non-blocking socket, as the hub's
// IHubConnection, for the epoll loop.
//
// Writes are gathered: Write only appends to the connection's buffer, and the
// network sends each buffer once at the end of the loop turn, so a peer owed
// many records from one read gets them in one send. What the network does not
// take waits for the socket to become writable again.
//
// Reads take one slice of what the socket holds per turn and hand it to the
// hub; paused, the connection stops asking for input (a slice already asked
// for still arrives), so the kernel's buffers fill and TCP slows the peer
// down.
//
// Once the hub lets go (CloseGracefully, Abort), the network frees the object
// at the end of a turn.

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/IHubConnection.h"
#include "net/posix/CEpollLoop.h"
#include "net/posix/CParallelSender.h"

namespace yarrow {

class CEpollHubNetwork;
class CYarrowServ;

class CEpollHubConnection final : public IHubConnection, public CEpollLoop::IHandler {
  public:
    // Takes ownership of `fd` (connected, non-blocking).
    CEpollHubConnection(int fd, CEpollHubNetwork& network);
    ~CEpollHubConnection() override;

    // Called once the hub has registered the connection under `id`.
    void Attach(std::int32_t id);

    bool Write(std::string_view bytes, std::string& errorText) override;
    std::size_t UnsentBytes() const override { return out_.size() - sent_; }
    void SetReadingPaused(bool paused) override;
    void CloseGracefully() override;
    void Abort() override;

    // Starts reading, once the network holds the connection.
    void Start();

    void OnReceived(const char* data, long result) override;
    void OnWritable() override;
    // Sends what the buffer holds, as far as the network takes it now.
    // Reports a failed send to the hub.
    void Flush();
    // Flush in two halves, so that the sending itself can run elsewhere:
    // Prepare fills in what to send (false: nothing to do, the connection
    // is finished), Sent takes in how it went.
    bool PrepareFlush(CParallelSender::Job& job);
    void Sent(const CParallelSender::Job& job);
    // The object is done: the network may free it.
    bool Finished() const { return state_ == State::Finished; }
    // The system has everything the connection owes its peer, and a closing
    // one has shut its sending side.
    bool Delivered() const {
        return state_ == State::Finished ||
               (!dirty_ && UnsentBytes() == 0 && (state_ == State::Open || shut_));
    }

  private:
    enum class State { Open, Closing, Finished };
    void Lost(const std::string& errorText);
    void Failed(const std::string& errorText);
    void UpdateInterest();
    void Finish();

    int fd_;
    CEpollHubNetwork& network_;
    CYarrowServ* hub_;
    std::int32_t id_ = -1;
    State state_ = State::Open;
    bool paused_ = false;
    bool shut_ = false;       // the sending side is shut down (closing)
    bool dirty_ = false;      // on the network's list of buffers to send
    bool wantWrite_ = false;  // bytes wait for the socket to take more
    bool receiving_ = false;  // a read is asked of the loop
    bool waiting_ = false;    // the loop is asked to tell when it is writable
    std::uint64_t lingerTimer_ = 0;
    std::string out_;
    std::size_t sent_ = 0;  // bytes at the front of out_ already sent
};

}  // namespace yarrow
