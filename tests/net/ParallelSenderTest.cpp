// The hub's sends of a turn, handed to io_uring or shared between two
// threads: every job goes out whole and exactly once whichever way it goes, a
// failing socket's error stays its own, and a full socket takes what it can
// without an error; what a ring refuses still goes out, once, and what it
// took without telling what became of it is failed, never sent twice.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/posix/CParallelSender.h"

using namespace yarrow;

namespace {

std::string ReadAll(int fd) {
    std::string got;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            return got;
        got.append(buffer, static_cast<std::size_t>(n));
    }
}

// `count` peers on socket pairs, each owed its own payload: the jobs of a
// turn, and the far ends to read what arrived. Every socket is closed at the
// end.
struct Peers {
    Peers(int count, const std::function<std::string(int)>& payloadOf)
        : ours(count, -1), theirs(count, -1), payloads(count), jobs(count) {
        for (int i = 0; i < count; ++i) {
            int pair[2];
            if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair) != 0)
                throw std::runtime_error("socketpair failed");
            ours[i] = pair[0];
            theirs[i] = pair[1];
            payloads[i] = payloadOf(i);
            jobs[i].fd = ours[i];
            jobs[i].data = payloads[i].data();
            jobs[i].size = payloads[i].size();
        }
    }
    ~Peers() {
        for (const auto* fds : {&ours, &theirs}) {
            for (const int fd : *fds) {
                if (fd >= 0)
                    ::close(fd);
            }
        }
    }
    Peers(const Peers&) = delete;
    Peers& operator=(const Peers&) = delete;

    std::vector<int> ours, theirs;
    std::vector<std::string> payloads;
    std::vector<CParallelSender::Job> jobs;
};

}  // namespace

TEST(ParallelSender, EveryJobGoesOutOnceWhicheverWayItGoes) {
    struct Case {
        int jobs;
        std::size_t bytes;  // each
        int closedPeer;     // -1: none
        int fullSocket;     // -1: none; this one is sent far more than it holds
    };
    const Case cases[] = {
        {3, 100, -1, -1},   // the caller alone
        {16, 100, 5, -1},   // too little to share
        {16, 4096, 7, 11},  // shared
        {64, 2048, 0, 63},  // shared, the ends of the list
    };
    for (const auto method : {CParallelSender::Method::Ring, CParallelSender::Method::Threads}) {
        CParallelSender sender(method);
        if (sender.InUse() != method) {
            std::printf("io_uring is not available here: only the threads are tested\n");
            continue;
        }
        SCOPED_TRACE(method == CParallelSender::Method::Ring ? "ring" : "threads");
        for (const Case& c : cases) {
            for (int round = 0; round < 20; ++round) {
                SCOPED_TRACE(std::to_string(c.jobs) + " jobs, round " + std::to_string(round));
                Peers peers(c.jobs, [&](int i) {
                    std::string payload(i == c.fullSocket ? 8u * 1024u * 1024u : c.bytes,
                                        static_cast<char>('A' + i % 26));
                    payload[0] = static_cast<char>(round);
                    return payload;
                });
                auto& [ours, theirs, payloads, jobs] = peers;
                if (c.closedPeer >= 0) {
                    ::close(theirs[c.closedPeer]);
                    theirs[c.closedPeer] = -1;
                }
                sender.Run(jobs);
                for (int i = 0; i < c.jobs; ++i) {
                    if (i == c.closedPeer) {
                        EXPECT_EQ(jobs[i].error, EPIPE) << i;
                    } else if (i == c.fullSocket) {
                        EXPECT_EQ(jobs[i].error, 0) << i;
                        EXPECT_GT(jobs[i].sent, 0u) << i;
                        EXPECT_LT(jobs[i].sent, jobs[i].size) << i;
                        EXPECT_EQ(ReadAll(theirs[i]), payloads[i].substr(0, jobs[i].sent)) << i;
                    } else {
                        EXPECT_EQ(jobs[i].error, 0) << i;
                        EXPECT_EQ(jobs[i].sent, jobs[i].size) << i;
                        EXPECT_EQ(ReadAll(theirs[i]), payloads[i]) << i;
                    }
                }
            }
        }
    }
}

TEST(ParallelSender, WhatTheRingDoesNotTakeGoesOutFromThreadsOnce) {
    CParallelSender sender(CParallelSender::Method::Ring);
    if (sender.InUse() != CParallelSender::Method::Ring)
        GTEST_SKIP() << "io_uring is not available here";
    sender.TakeOnlyForTest(5);
    constexpr int kJobs = 16;
    Peers peers(kJobs, [](int i) { return std::string(4096, static_cast<char>('a' + i)); });
    auto& [ours, theirs, payloads, jobs] = peers;
    sender.Run(jobs);
    EXPECT_EQ(sender.InUse(), CParallelSender::Method::Threads);
    for (int i = 0; i < kJobs; ++i) {
        EXPECT_EQ(jobs[i].error, 0) << i;
        EXPECT_EQ(jobs[i].sent, jobs[i].size) << i;
        EXPECT_EQ(ReadAll(theirs[i]), payloads[i]) << i;
    }
}

// A ring that stops reporting part way through a batch: a send it took but
// did not report may have gone out, so it fails (and its connection with it)
// instead of being sent again; the sends it reported stand, and those of the
// later batches, never handed to it, go out from threads once.
TEST(ParallelSender, ASendTheRingDidNotReportIsFailedNotSentAgain) {
    CParallelSender sender(CParallelSender::Method::Ring);
    if (sender.InUse() != CParallelSender::Method::Ring)
        GTEST_SKIP() << "io_uring is not available here";
    constexpr unsigned kReported = 5;
    sender.StopReportingForTest(kReported);
    constexpr int kJobs = CParallelSender::kRingBatch + 40;
    Peers peers(kJobs, [](int i) { return std::string(1000, static_cast<char>('a' + i % 26)); });
    auto& [ours, theirs, payloads, jobs] = peers;
    sender.Run(jobs);
    EXPECT_EQ(sender.InUse(), CParallelSender::Method::Threads);
    unsigned succeeded = 0;
    for (int i = 0; i < kJobs; ++i) {
        const std::string received = ReadAll(theirs[i]);
        if (i >= static_cast<int>(CParallelSender::kRingBatch)) {
            EXPECT_EQ(jobs[i].error, 0) << i;
            EXPECT_EQ(jobs[i].sent, jobs[i].size) << i;
        } else if (jobs[i].error == 0) {
            ++succeeded;
        } else {
            EXPECT_EQ(jobs[i].error, EIO) << i;
        }
        // What the caller would go on sending from must be where the peer's
        // stream stands.
        if (jobs[i].error == 0) {
            EXPECT_EQ(received, payloads[i].substr(0, jobs[i].sent)) << i;
        }
    }
    EXPECT_EQ(succeeded, kReported);
}
