// relaybench: fan-out relay benchmark for a chat hub, speaking Yarrow (protocol 6), MQTT 3.1.1,
// IRC, Redis pub/sub (RESP) or NATS. One sender publishes M messages of B bytes; N-1 receivers take
// each; at most W messages are in flight. Prints deliveries per second and send-to-last-delivery
// latency percentiles. For the measured part it also prints the share of one processor the
// benchmark itself used and, given --relay-pid, the share the relay used (all its threads): the
// one near 100 % is what limits the throughput.
//
// --burst 1: the sender hands every message it may send at that moment to one send call instead
// of one call each. Sending is most of the benchmark's own work, so this lets a relay that is
// faster than the benchmark show how far it goes. It changes the traffic (several messages per
// segment), alike for every relay.
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

using Clock = std::chrono::steady_clock;
static double now_us() {
    return std::chrono::duration<double, std::micro>(Clock::now().time_since_epoch()).count();
}

static double process_cpu_us() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}
// Processor time of every thread of process `pid` so far, in µs (-1 when it cannot be read).
static double relay_cpu_us(int pid) {
    if (pid <= 0)
        return -1;
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d)
        return -1;
    double ns = 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        FILE* f = fopen((dir + "/" + e->d_name + "/schedstat").c_str(), "r");
        if (!f)
            continue;
        unsigned long long run = 0;
        if (fscanf(f, "%llu", &run) == 1)
            ns += double(run);
        fclose(f);
    }
    closedir(d);
    return ns / 1e3;
}

enum Proto { YARROW, MQTT, IRC, REDIS, NATS };
struct Client {
    int fd;
    std::string in;
    bool ready = false;
    int id = 0;
};

static Proto proto;
static int N = 16, M = 20000, B = 64, W = 64, port = 0, relay_pid = 0;
static bool burst = false;
static std::vector<Client> cl;
static std::vector<double> sent_at, lat;
static std::vector<int> got;
static long delivered = 0;
static int done_msgs = 0;

static void die(const char* m) {
    perror(m);
    exit(2);
}
static void send_all(int fd, const std::string& s) {
    size_t o = 0;
    while (o < s.size()) {
        ssize_t n = ::send(fd, s.data() + o, s.size() - o, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            die("send");
        }
        o += n;
    }
}
static void put32(std::string& s, int32_t v) {
    s.append(reinterpret_cast<char*>(&v), 4);
}
static void putstr(std::string& s, const std::string& t) {
    if (t.size() < 255)
        s.push_back(char(t.size()));
    else {
        s.push_back(char(0xff));
        uint16_t l = uint16_t(t.size());
        s.append(reinterpret_cast<char*>(&l), 2);
    }
    s += t;
}
static std::string yarrow_rec(int id, int type, const std::string& name, const std::string& text) {
    std::string s;
    put32(s, id);
    put32(s, 0);
    put32(s, type);
    putstr(s, name);
    put32(s, 0);
    putstr(s, text);
    put32(s, 0);
    put32(s, 0);
    if (type == 2 || type == 13)
        put32(s, 0);
    return s;
}
// Parse one Yarrow record of the kinds this benchmark sees; returns bytes used or 0 if incomplete.
static size_t yarrow_parse(std::string_view b, int& type, int& id, std::string& text) {
    size_t p = 0;
    auto need = [&](size_t n) { return p + n <= b.size(); };
    auto i32 = [&](int32_t& v) {
        if (!need(4))
            return false;
        memcpy(&v, b.data() + p, 4);
        p += 4;
        return true;
    };
    auto str = [&](std::string* out) {
        if (!need(1))
            return false;
        uint32_t L = uint8_t(b[p++]);
        if (L == 255) {
            if (!need(2))
                return false;
            uint16_t l;
            memcpy(&l, b.data() + p, 2);
            p += 2;
            L = l;
            if (l == 0xffff) {
                if (!need(4))
                    return false;
                memcpy(&L, b.data() + p, 4);
                p += 4;
            }
        }
        if (!need(L))
            return false;
        if (out)
            out->assign(b.data() + p, L);
        p += L;
        return true;
    };
    int32_t ID, cl_, ty, col, p1, p2;
    if (!i32(ID) || !i32(cl_) || !i32(ty) || !str(nullptr) || !i32(col) || !str(&text) ||
        !i32(p1) || !i32(p2))
        return 0;
    if (ty == 2 || ty == 13) {
        int32_t n;
        if (!i32(n))
            return 0;
        for (int i = 0; i < n; ++i) {
            int32_t x;
            if (!i32(x) || !str(nullptr))
                return 0;
        }
    }
    type = ty;
    id = ID;
    return p;
}
static std::string mqtt_len(size_t n) {
    std::string s;
    do {
        uint8_t d = n % 128;
        n /= 128;
        if (n)
            d |= 128;
        s.push_back(char(d));
    } while (n);
    return s;
}
static std::string mqtt_str(const std::string& t) {
    std::string s;
    s.push_back(char(t.size() >> 8));
    s.push_back(char(t.size() & 255));
    return s + t;
}

// One RESP value at b[p..]: fills bulk strings of an array into out; returns bytes used or 0 if
// incomplete.
static size_t resp_parse(std::string_view b, std::vector<std::string>& out) {
    size_t p = 0;
    auto line = [&](std::string& l) {
        size_t e = b.find("\r\n", p);
        if (e == std::string::npos)
            return false;
        l = std::string(b.substr(p, e - p));
        p = e + 2;
        return true;
    };
    std::string l;
    if (!line(l))
        return 0;
    if (l[0] != '*') {
        out = {l};
        return p;
    }
    long n = atol(l.c_str() + 1);
    out.clear();
    for (long i = 0; i < n; ++i) {
        if (!line(l))
            return 0;
        if (l[0] == '$') {
            size_t L = atol(l.c_str() + 1);
            if (p + L + 2 > b.size())
                return 0;
            out.push_back(std::string(b.substr(p, L)));
            p += L + 2;
        } else
            out.push_back(l.substr(1));
    }
    return p;
}

static void on_message(int ci, const std::string& payload) {
    if (ci == 0)
        return;  // the sender's own echo (Yarrow) is not counted
    int k = atoi(payload.c_str());
    if (k < 0 || k >= M)
        return;
    ++delivered;
    if (++got[k] == N - 1) {
        lat.push_back(now_us() - sent_at[k]);
        ++done_msgs;
    }
}

static void handle(int ci) {
    Client& c = cl[ci];
    char buf[1 << 16];
    ssize_t n = recv(c.fd, buf, sizeof buf, 0);
    if (n <= 0) {
        fprintf(stderr, "client %d closed (n=%zd errno=%s); last input: %.300s\n", ci, n,
                strerror(errno), c.in.c_str());
        exit(3);
    }
    c.in.append(buf, n);
    // Records are taken from the front by moving a mark; the taken bytes go
    // once per read, so a long read is not copied over again for each record.
    size_t taken = 0;
    for (;;) {
        const std::string_view in = std::string_view(c.in).substr(taken);
        if (proto == YARROW) {
            int type, id;
            std::string text;
            size_t used = yarrow_parse(in, type, id, text);
            if (!used)
                break;
            taken += used;
            if (type == 1 && !c.ready) {
                c.id = id;
                send_all(c.fd, yarrow_rec(id, 2, "", "c" + std::to_string(ci)));
            } else if (type == 2 && id == c.id)
                c.ready = true;
            else if (type == 3)
                on_message(ci, text);
        } else if (proto == MQTT) {
            if (in.size() < 2)
                break;
            size_t mult = 1, len = 0, p = 1;
            bool ok = false;
            while (p < in.size()) {
                uint8_t d = in[p++];
                len += (d & 127) * mult;
                mult *= 128;
                if (!(d & 128)) {
                    ok = true;
                    break;
                }
            }
            if (!ok || in.size() < p + len)
                break;
            uint8_t t = uint8_t(in[0]) >> 4;
            std::string body = std::string(in.substr(p, len));
            taken += p + len;
            if (t == 9)
                c.ready = true;  // SUBACK
            else if (t == 3) {
                size_t tl = (uint8_t(body[0]) << 8) | uint8_t(body[1]);
                on_message(ci, body.substr(2 + tl));
            }
        } else if (proto == REDIS) {
            std::vector<std::string> v;
            size_t used = resp_parse(in, v);
            if (!used)
                break;
            taken += used;
            if (v.size() == 3 && v[0] == "subscribe")
                c.ready = true;
            else if (v.size() == 3 && v[0] == "message")
                on_message(ci, v[2]);
        } else if (proto == NATS) {
            size_t e = in.find("\r\n");
            if (e == std::string::npos)
                break;
            if (in.compare(0, 4, "MSG ") == 0) {
                size_t sp = in.rfind(' ', e);
                size_t L = atol(in.data() + sp + 1);
                if (in.size() < e + 2 + L + 2)
                    break;
                std::string payload = std::string(in.substr(e + 2, L));
                taken += e + 2 + L + 2;
                on_message(ci, payload);
            } else {
                std::string line = std::string(in.substr(0, e));
                taken += e + 2;
                if (line == "PING")
                    send_all(c.fd, "PONG\r\n");
                else if (line == "PONG")
                    c.ready = true;
            }
        } else {
            size_t e = in.find("\r\n");
            if (e == std::string::npos)
                break;
            std::string line = std::string(in.substr(0, e));
            taken += e + 2;
            if (line.rfind("PING", 0) == 0)
                send_all(c.fd, "PONG" + line.substr(4) + "\r\n");
            else if (line.find(" 001 ") != std::string::npos)
                send_all(c.fd, "JOIN #b\r\n");
            else if (line.find(" 366 ") != std::string::npos)
                c.ready = true;
            else {
                size_t q = line.find(" PRIVMSG #b :");
                if (q != std::string::npos)
                    on_message(ci, line.substr(q + 13));
            }
        }
    }
    c.in.erase(0, taken);
}

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string k = argv[i], v = argv[i + 1];
        if (k == "--proto")
            proto = v == "yarrow"  ? YARROW
                    : v == "mqtt"  ? MQTT
                    : v == "redis" ? REDIS
                    : v == "nats"  ? NATS
                                   : IRC;
        else if (k == "--port")
            port = atoi(v.c_str());
        else if (k == "--clients")
            N = atoi(v.c_str());
        else if (k == "--messages")
            M = atoi(v.c_str());
        else if (k == "--size")
            B = atoi(v.c_str());
        else if (k == "--window")
            W = atoi(v.c_str());
        else if (k == "--relay-pid")
            relay_pid = atoi(v.c_str());
        else if (k == "--burst")
            burst = atoi(v.c_str()) != 0;
    }
    cl.resize(N);
    for (int i = 0; i < N; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(0x7f000001);
        if (connect(fd, (sockaddr*)&a, sizeof a) < 0)
            die("connect");
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        cl[i].fd = fd;
        if (proto == MQTT) {
            std::string id = "c" + std::to_string(i),
                        vh = mqtt_str("MQTT") + std::string("\x04\x02\x00\x3c", 4) + mqtt_str(id);
            send_all(fd, "\x10" + mqtt_len(vh.size()) + vh);
            if (i > 0) {
                std::string s = std::string("\x00\x01", 2) + mqtt_str("t") + std::string("\x00", 1);
                send_all(fd, "\x82" + mqtt_len(s.size()) + s);
            } else
                cl[i].ready = true;
        } else if (proto == IRC) {
            send_all(fd, "NICK c" + std::to_string(i) + "\r\nUSER c 0 * :c\r\n");
            usleep(20000);
        } else if (proto == REDIS) {
            if (i > 0)
                send_all(fd, "SUBSCRIBE t\r\n");
            else
                cl[i].ready = true;
        } else if (proto == NATS)
            send_all(fd, std::string("CONNECT {\"verbose\":false,\"pedantic\":false}\r\n") +
                             (i > 0 ? "SUB t 1\r\n" : "") + "PING\r\n");
    }
    std::vector<pollfd> pf(N);
    for (int i = 0; i < N; ++i)
        pf[i] = {cl[i].fd, POLLIN, 0};
    double t_setup = now_us();
    while (true) {
        bool all = true;
        for (auto& c : cl)
            all = all && c.ready;
        if (all)
            break;
        if (now_us() - t_setup > 20e6) {
            int r = 0;
            for (auto& c : cl)
                r += c.ready;
            fprintf(stderr, "setup timed out: %d/%d ready; client 1 input: %.400s\n", r, N,
                    cl[1].in.c_str());
            return 4;
        }
        poll(pf.data(), N, 100);
        for (int i = 0; i < N; ++i)
            if (pf[i].revents & POLLIN)
                handle(i);
    }
    // let join notices settle
    double settle = now_us();
    while (now_us() - settle < 300e3) {
        poll(pf.data(), N, 50);
        for (int i = 0; i < N; ++i)
            if (pf[i].revents & POLLIN)
                handle(i);
    }
    sent_at.assign(M, 0);
    got.assign(M, 0);
    int next = 0;
    double t0 = now_us();
    const double cpu0 = process_cpu_us(), relay0 = relay_cpu_us(relay_pid);
    std::string pad(std::max(0, B - 8), 'x');
    std::string batch;
    while (done_msgs < M) {
        const double batch_at = now_us();
        while (next < M && next - done_msgs < W) {
            char num[16];
            snprintf(num, sizeof num, "%07d ", next);
            std::string payload = num + pad;
            std::string wire;
            if (proto == YARROW)
                wire = yarrow_rec(cl[0].id, 3, "c0", payload);
            else if (proto == MQTT) {
                std::string body = mqtt_str("t") + payload;
                wire = "\x30" + mqtt_len(body.size()) + body;
            } else if (proto == REDIS)
                wire = "*3\r\n$7\r\nPUBLISH\r\n$1\r\nt\r\n$" + std::to_string(payload.size()) +
                       "\r\n" + payload + "\r\n";
            else if (proto == NATS)
                wire = "PUB t " + std::to_string(payload.size()) + "\r\n" + payload + "\r\n";
            else
                wire = "PRIVMSG #b :" + payload + "\r\n";
            if (burst) {
                sent_at[next] = batch_at;
                batch += wire;
            } else {
                sent_at[next] = now_us();
                send_all(cl[0].fd, wire);
            }
            ++next;
        }
        if (!batch.empty()) {
            send_all(cl[0].fd, batch);
            batch.clear();
        }
        if (poll(pf.data(), N, 5000) == 0) {
            fprintf(stderr, "stalled at %d/%d delivered messages\n", done_msgs, M);
            return 5;
        }
        for (int i = 0; i < N; ++i)
            if (pf[i].revents & POLLIN)
                handle(i);
    }
    double el = (now_us() - t0) / 1e6;
    const double busy = (process_cpu_us() - cpu0) / (el * 1e6);
    const double relay1 = relay_cpu_us(relay_pid);
    const double relay_busy = relay0 >= 0 && relay1 >= 0 ? (relay1 - relay0) / (el * 1e6) : -1;
    std::sort(lat.begin(), lat.end());
    printf(
        "%s clients=%d messages=%d size=%d window=%d deliveries/s=%.0f p50_us=%.0f p99_us=%.0f "
        "bench_busy=%.2f relay_busy=%.2f\n",
        proto == YARROW  ? "yarrow"
        : proto == MQTT  ? "mqtt"
        : proto == REDIS ? "redis"
        : proto == NATS  ? "nats"
                         : "irc",
        N, M, B, W, delivered / el, lat[lat.size() / 2], lat[lat.size() * 99 / 100], busy,
        relay_busy);
}
