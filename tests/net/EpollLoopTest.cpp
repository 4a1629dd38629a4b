// The hub's event loop: the order in which posted tasks, timers and
// end-of-turn work run, that a handler let go during a turn is not called for
// the rest of it, and that streams arrive whole and in order; then the hub on
// real sockets. Streams are tested through io_uring and through epoll alike,
// across a ring that fails in the middle and one that has no room left.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "net/NetTestUtil.h"
#include "net/posix/CEpollHubConnection.h"
#include "net/posix/CEpollHubNetwork.h"
#include "net/posix/CEpollLoop.h"

using namespace yarrow;
using std::chrono::milliseconds;

namespace {

using Method = CEpollLoop::Method;
// Each TEST_P runs once for each way the loop waits for input: through
// io_uring and through epoll. Where io_uring is missing, only epoll runs.
class EitherWayOfWaiting : public ::testing::TestWithParam<Method> {
  protected:
    void SetUp() override {
        if (loop.InUse() != GetParam())
            GTEST_SKIP() << "io_uring is not available here: only epoll is tested";
    }
    CEpollLoop loop{GetParam()};
};

// What only the ring can run into; skipped where io_uring is missing.
class OnTheRing : public ::testing::Test {
  protected:
    void SetUp() override {
        if (loop.InUse() != Method::Ring)
            GTEST_SKIP() << "io_uring is not available here";
    }
    CEpollLoop loop{Method::Ring};
};

// Turns the loop until `done` holds, or gives up after some seconds.
template <typename Done>
bool TurnUntil(CEpollLoop& loop, Done done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        loop.RunOnce(milliseconds(10));
    return done();
}

// Reads a stream for as long as it lasts, asking for the next slice each time.
struct Reader : CEpollLoop::IHandler {
    CEpollLoop* loop = nullptr;
    int fd = -1;
    std::string got;
    long last = 1;
    int calls = 0;
    std::size_t largest = 0;
    std::vector<Reader*> release;  // streams to let go of on the first slice
    void OnReceived(const char* data, long result) override {
        ++calls;
        last = result;
        if (result > 0) {
            got.append(data, static_cast<std::size_t>(result));
            largest = std::max(largest, static_cast<std::size_t>(result));
        }
        for (Reader* other : release)
            loop->Release(other->fd, other);
        release.clear();
        if (result != 0)
            loop->Receive(fd, this);
    }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(, EitherWayOfWaiting, ::testing::Values(Method::Ring, Method::Epoll),
                         [](const ::testing::TestParamInfo<Method>& way) {
                             return way.param == Method::Ring ? "Ring" : "Epoll";
                         });

TEST(EpollLoop, PostedTasksTimersAndEndOfTurnRunInTheirTurns) {
    CEpollLoop loop;
    ASSERT_TRUE(loop.Ok());
    std::vector<std::string> log;
    loop.AtEndOfTurn([&] { log.push_back("end"); });
    loop.Post([&] {
        log.push_back("a");
        loop.Post([&] { log.push_back("c"); });  // waits for the next turn
    });
    loop.Post([&] { log.push_back("b"); });
    const auto cancelled = loop.AddTimer(milliseconds(0), [&] { log.push_back("never"); });
    loop.CancelTimer(cancelled);
    int repeats = 0;
    const auto repeating = loop.AddTimer(
        milliseconds(0), [&] { ++repeats; }, true);

    loop.RunOnce(milliseconds(1000));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "end"}));
    loop.RunOnce(milliseconds(1000));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "end", "c", "end"}));
    EXPECT_EQ(repeats, 2);
    loop.CancelTimer(repeating);
    loop.RunOnce(milliseconds(0));
    EXPECT_EQ(repeats, 2);

    loop.AddTimer(milliseconds(0), [&] { loop.Quit(); });
    loop.Run();  // returns once the timer has quit it
}

TEST(EpollLoop, HandlerUnwatchedDuringATurnIsNotCalledAgain) {
    // Two readable descriptors reported in one turn; whichever handler runs
    // first lets the other go.
    struct Handler : CEpollLoop::IHandler {
        CEpollLoop* loop = nullptr;
        Handler* other = nullptr;
        int fd = -1;
        int calls = 0;
        void OnEvents(std::uint32_t) override {
            ++calls;
            char byte;
            [[maybe_unused]] auto n = ::read(fd, &byte, 1);
            loop->Unwatch(other->fd, other);
        }
    };
    CEpollLoop loop;
    int first[2];
    int second[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, first), 0);
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, second), 0);
    Handler a, b;
    a.loop = b.loop = &loop;
    a.other = &b;
    b.other = &a;
    a.fd = first[0];
    b.fd = second[0];
    ASSERT_TRUE(loop.Watch(a.fd, EPOLLIN, &a));
    ASSERT_TRUE(loop.Watch(b.fd, EPOLLIN, &b));
    ASSERT_EQ(::write(first[1], "x", 1), 1);
    ASSERT_EQ(::write(second[1], "y", 1), 1);
    loop.RunOnce(milliseconds(1000));
    EXPECT_EQ(a.calls + b.calls, 1);
    for (int fd : {first[0], first[1], second[0], second[1]})
        ::close(fd);
}

TEST_P(EitherWayOfWaiting, StreamsArriveWholeAndInOrderAcrossAFailingRing) {
    // Far more than a socket holds, written as it takes it: more reads than
    // the ring has buffers to lend. Then the ring fails, and epoll carries
    // the open read over. Then the writer closes.
    std::string payload(64 * CEpollLoop::kSlice + 123, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + i / 4093);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    Reader reader;
    reader.loop = &loop;
    reader.fd = pair[0];
    loop.Receive(pair[0], &reader);
    std::size_t written = 0;
    bool failed = false;
    ASSERT_TRUE(TurnUntil(loop, [&] {
        if (!failed && reader.got.size() > 40 * CEpollLoop::kSlice) {
            loop.FailRingForTest();
            failed = true;
        }
        const ssize_t n =
            ::send(pair[1], payload.data() + written, payload.size() - written, MSG_DONTWAIT);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        return written == payload.size();
    }));
    ::shutdown(pair[1], SHUT_WR);
    ASSERT_TRUE(TurnUntil(loop, [&] { return reader.last == 0; }));
    EXPECT_TRUE(reader.got == payload) << reader.got.size() << " of " << payload.size();
    EXPECT_LE(reader.largest, CEpollLoop::kSlice);
    EXPECT_EQ(loop.InUse(), Method::Epoll);
    // Closed: not read again.
    const int calls = reader.calls;
    loop.RunOnce(milliseconds(0));
    EXPECT_EQ(reader.calls, calls);
    loop.Release(pair[0], &reader);
    ::close(pair[0]);
    ::close(pair[1]);
}

TEST_P(EitherWayOfWaiting, LoopLooksForMoreInputBrieflyThenSleeps) {
    // After a turn with input the loop looks for more before it sleeps:
    // input already there is handled in the next turn, and when nothing
    // comes the wait sleeps, so a quiet table costs no processor time.
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    Reader reader;
    reader.loop = &loop;
    reader.fd = pair[0];
    loop.Receive(pair[0], &reader);
    ASSERT_EQ(::write(pair[1], "a", 1), 1);
    ASSERT_TRUE(TurnUntil(loop, [&] { return reader.got == "a"; }));
    ASSERT_EQ(::write(pair[1], "b", 1), 1);
    loop.RunOnce(milliseconds(1000));
    EXPECT_EQ(reader.got, "ab");

    auto threadTime = [] {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    };
    const auto before = threadTime();
    loop.RunOnce(milliseconds(300));
    loop.RunOnce(milliseconds(300));
    EXPECT_LT(threadTime() - before, milliseconds(100));
    EXPECT_EQ(reader.got, "ab");
    loop.Release(pair[0], &reader);
    ::close(pair[0]);
    ::close(pair[1]);
}

TEST_P(EitherWayOfWaiting, StreamReleasedDuringATurnIsNotHeardOfAgain) {
    // Both streams have input when the turn begins; whichever is read first
    // lets the other go, which then hears nothing, in this turn or later.
    int first[2];
    int second[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, first), 0);
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, second), 0);
    Reader a, b;
    a.loop = b.loop = &loop;
    a.fd = first[0];
    b.fd = second[0];
    a.release = {&b};
    b.release = {&a};
    ASSERT_EQ(::write(first[1], "x", 1), 1);
    ASSERT_EQ(::write(second[1], "y", 1), 1);
    loop.Receive(a.fd, &a);
    loop.Receive(b.fd, &b);
    ASSERT_TRUE(TurnUntil(loop, [&] { return a.calls + b.calls > 0; }));
    ASSERT_EQ(::write(first[1], "x", 1), 1);
    ASSERT_EQ(::write(second[1], "y", 1), 1);
    Reader& kept = a.calls > 0 ? a : b;
    ASSERT_TRUE(TurnUntil(loop, [&] { return kept.got.size() == 2; }));
    loop.RunOnce(milliseconds(0));
    EXPECT_EQ(a.calls + b.calls, 2);
    loop.Release(kept.fd, &kept);
    for (int fd : {first[0], first[1], second[0], second[1]})
        ::close(fd);
}

TEST_F(OnTheRing, StreamReleasedWhenTheRingIsFullIsClosedForThePeerAndTheRestGoOn) {
    // The open read holds the socket; when its cancellation finds no room,
    // the loop gives the ring up, which ends the read, so that closing the
    // socket reaches the peer. The other stream carries on over epoll.
    int released[2];
    int kept[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, released), 0);
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, kept), 0);
    Reader gone, stays;
    gone.loop = stays.loop = &loop;
    gone.fd = released[0];
    stays.fd = kept[0];
    loop.Receive(gone.fd, &gone);
    loop.Receive(stays.fd, &stays);
    loop.RunOnce(milliseconds(0));
    loop.LimitRequestsForTest(0);
    loop.Release(gone.fd, &gone);
    ::close(released[0]);
    loop.RunOnce(milliseconds(0));
    EXPECT_EQ(loop.InUse(), Method::Epoll);
    pollfd peer{released[1], POLLIN, 0};
    ASSERT_EQ(::poll(&peer, 1, 5000), 1) << "the peer never saw the socket closed";
    char byte;
    EXPECT_EQ(::recv(released[1], &byte, 1, MSG_DONTWAIT), 0);
    ASSERT_EQ(::write(kept[1], "z", 1), 1);
    ASSERT_TRUE(TurnUntil(loop, [&] { return stays.got == "z"; }));
    EXPECT_EQ(gone.calls, 0);
    loop.Release(stays.fd, &stays);
    for (int fd : {released[1], kept[0], kept[1]})
        ::close(fd);
}

TEST_F(OnTheRing, InputReadByTheRingJustBeforeItFailsStillReachesItsStream) {
    // The ring fails in the turn in which it has read a stream's input while
    // the turn's handlers ran (any system call they make lets it finish open
    // reads). That input was taken from the socket: it must reach the
    // stream before epoll carries on, or the bytes are lost.
    int quiet[2];
    int trigger[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, quiet), 0);
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, trigger), 0);
    struct Failing : Reader {
        int peerOfOther = -1;
        void OnReceived(const char* data, long result) override {
            if (peerOfOther >= 0) {
                loop->FailRingForTest();
                [[maybe_unused]] auto n = ::write(peerOfOther, "first ", 6);
                peerOfOther = -1;
            }
            Reader::OnReceived(data, result);
        }
    };
    Reader a;
    Failing b;
    a.loop = b.loop = &loop;
    a.fd = quiet[0];
    b.fd = trigger[0];
    b.peerOfOther = quiet[1];
    loop.Receive(a.fd, &a);
    loop.Receive(b.fd, &b);
    loop.RunOnce(milliseconds(0));
    ASSERT_EQ(::write(trigger[1], "go", 2), 2);
    ASSERT_TRUE(TurnUntil(loop, [&] { return loop.InUse() == Method::Epoll; }));
    ASSERT_EQ(::write(quiet[1], "second", 6), 6);
    EXPECT_TRUE(TurnUntil(loop, [&] { return a.got.size() >= 12; })) << a.got;
    EXPECT_EQ(a.got, "first second");
    loop.Release(a.fd, &a);
    loop.Release(b.fd, &b);
    for (int fd : {quiet[0], quiet[1], trigger[0], trigger[1]})
        ::close(fd);
}

TEST_F(OnTheRing, StreamsAlwaysFullDoNotKeepTheRingsBuffersFromTheOthers) {
    // More streams than the ring has buffers, all with input at once; the
    // first of them refill their sockets every time they are read (a flood).
    // The quiet ones behind them must still be read within a few turns.
    struct Flooded : Reader {
        int peer = -1;
        void OnReceived(const char* data, long result) override {
            if (result > 0) {
                const std::string more(64, 'f');
                [[maybe_unused]] auto n = ::write(peer, more.data(), more.size());
            }
            Reader::OnReceived(data, result);
            got.clear();
        }
    };
    constexpr int kFlooding = 40;
    constexpr int kQuiet = 8;
    std::vector<int> fds;
    std::vector<Flooded> flooding(kFlooding);
    std::vector<Reader> quiet(kQuiet);
    for (int i = 0; i < kFlooding + kQuiet; ++i) {
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
        fds.push_back(pair[0]);
        fds.push_back(pair[1]);
        Reader& r = i < kFlooding ? static_cast<Reader&>(flooding[i]) : quiet[i - kFlooding];
        r.loop = &loop;
        r.fd = pair[0];
        if (i < kFlooding) {
            flooding[i].peer = pair[1];
            ASSERT_EQ(::write(pair[1], "start", 5), 5);
        } else {
            ASSERT_EQ(::write(pair[1], "q", 1), 1);
        }
        loop.Receive(r.fd, &r);
    }
    int turns = 0;
    const auto allRead = [&] {
        return std::all_of(quiet.begin(), quiet.end(),
                           [](const Reader& r) { return r.got == "q"; });
    };
    for (; turns < 200 && !allRead(); ++turns)
        loop.RunOnce(milliseconds(10));
    EXPECT_TRUE(allRead()) << "quiet streams still unread after " << turns << " turns";
    EXPECT_EQ(loop.InUse(), Method::Ring);
    for (Flooded& r : flooding)
        loop.Release(r.fd, &r);
    for (Reader& r : quiet)
        loop.Release(r.fd, &r);
    for (int fd : fds)
        ::close(fd);
}

TEST_P(EitherWayOfWaiting, WritableInTheMiddleOfATurnSendsEveryByteOnce) {
    // A write lists the connection for the end of the turn; the socket then
    // reports itself writable and the connection sends at once; a second
    // write in the same turn must not list it again, or the end of the turn
    // would send the second write's bytes twice.
    CEpollHubNetwork network(loop);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    CEpollHubConnection connection(pair[0], network);
    std::string error;
    ASSERT_TRUE(connection.Write("first ", error));
    connection.OnWritable();
    ASSERT_TRUE(connection.Write("second", error));
    loop.RunOnce(milliseconds(0));

    char buffer[64];
    const ssize_t n = ::recv(pair[1], buffer, sizeof buffer, MSG_DONTWAIT);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "first second");
    EXPECT_EQ(connection.UnsentBytes(), 0u);
    ::close(pair[1]);
}

namespace {

// A participant on a plain socket: it answers the hub's greeting with its
// name and collects what the hub sends.
struct Participant {
    int fd = -1;
    std::int32_t id = 0;
    std::string in;

    explicit Participant(int port) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    ~Participant() {
        if (fd >= 0)
            ::close(fd);
    }
    std::vector<CMsg> Records() {
        char buffer[65536];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            in.append(buffer, static_cast<std::size_t>(n));
        return test::DecodeAll(in).records;
    }
    std::vector<CMsg> Of(std::int32_t type) {
        std::vector<CMsg> found;
        for (const CMsg& r : Records()) {
            if (r.Type == type)
                found.push_back(r);
        }
        return found;
    }
    void Send(const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.data() + at, bytes.size() - at, 0);
            ASSERT_GT(n, 0);
            at += static_cast<std::size_t>(n);
        }
    }
};

}  // namespace

TEST_P(EitherWayOfWaiting, RelaysEveryRecordAsSent) {
    // One participant sends a burst (small records and one of several
    // slices) before and after the ring fails; the other receives each
    // record as it was sent, in order.
    CEpollHubNetwork network(loop);
    ASSERT_TRUE(network.Hub().ConnectSocket(0));
    Participant a(network.Port()), b(network.Port());
    for (Participant* p : {&a, &b}) {
        ASSERT_TRUE(TurnUntil(loop, [&] { return !p->Of(CnctStart).empty(); }));
        p->id = p->Of(CnctStart).front().ID;
        CMsg reply;
        reply.Text = "p" + std::to_string(p->id);
        reply.Type = CnctReply;
        reply.ID = p->id;
        p->Send(reply.Encode());
    }
    ASSERT_TRUE(TurnUntil(loop, [&] { return b.Of(CnctReply).size() >= 2; }));

    std::vector<CMsg> sent;
    auto burst = [&](const std::string& tag) {
        std::string bytes;
        for (int i = 0; i < 40; ++i) {
            const std::string text =
                i == 20 ? std::string(2 * CEpollLoop::kSlice + 5, 'x') : tag + std::to_string(i);
            CMsg chat;
            chat.Text = text;
            chat.Name = "a";
            chat.Type = LogBox;
            chat.ID = a.id;
            chat.Encode(bytes);
            sent.push_back(chat);
        }
        a.Send(bytes);
        ASSERT_TRUE(TurnUntil(loop, [&] { return b.Of(LogBox).size() == sent.size(); }));
    };
    burst("before ");
    loop.FailRingForTest();
    burst("after ");
    EXPECT_TRUE(b.Of(LogBox) == sent);
    EXPECT_EQ(loop.InUse(), Method::Epoll);

    ::close(a.fd);
    a.fd = -1;
    EXPECT_TRUE(TurnUntil(loop, [&] { return network.LiveConnections() == 1; }));
}
