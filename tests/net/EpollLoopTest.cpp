// The windowless hub's event loop: the order in which posted tasks, timers
// and end-of-turn work run, and that a handler let go during a turn is not
// called for the rest of it; and a connection's sends gathered per turn.

#include <gtest/gtest.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "net/posix/CEpollHubConnection.h"
#include "net/posix/CEpollHubNetwork.h"
#include "net/posix/CEpollLoop.h"

using namespace yarrow;
using std::chrono::milliseconds;

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

TEST(EpollHubConnection, WritableInTheMiddleOfATurnSendsEveryByteOnce) {
    // A write lists the connection for the end of the turn; the socket then
    // reports itself writable and the connection sends at once; a second
    // write in the same turn must not list it again, or the end of the turn
    // would send the second write's bytes twice.
    CEpollLoop loop;
    CEpollHubNetwork network(loop);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    CEpollHubConnection connection(pair[0], network);
    std::string error;
    ASSERT_TRUE(connection.Write("first ", error));
    connection.OnEvents(EPOLLOUT);
    ASSERT_TRUE(connection.Write("second", error));
    loop.RunOnce(milliseconds(0));

    char buffer[64];
    const ssize_t n = ::recv(pair[1], buffer, sizeof buffer, MSG_DONTWAIT);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "first second");
    EXPECT_EQ(connection.UnsentBytes(), 0u);
    ::close(pair[1]);
}
