// The endpoint over real TCP connections: what each request is answered with, and the limits that keep a flood
// of connections or a slowloris from costing more than a fixed amount.
#include "metrics/MetricsEndpoint.h"
#include "metrics/MetricsExposition.h"
#include "tests/support/LoopbackHttp.h"
#include "tests/support/TestFolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FixedReadings : public MetricsReadings {
public:
    std::vector<MetricsSample> NewestReadings() const override
    {
        std::vector<MetricsSample> samples;
        for (size_t n = 1; n <= count; ++n)
            samples.push_back({ "platform_coretemp_0", "temp" + std::to_string(n), "coretemp Core " + std::to_string(n),
                MetricsTemperature { 51, "51" }, {}, {}, false, 0 });
        return samples;
    }
    size_t count = 1;
};

using LoopbackHttp::Connect;
using LoopbackHttp::Exchange;
using LoopbackHttp::ReadAll;

// Runs the event loop, which serves the endpoint, until work on another thread is done.
template <typename T> T Serve(std::future<T> work)
{
    LoopbackHttp::Serve([&] { return work.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; });
    return work.get();
}

struct Endpoint {
    explicit Endpoint(
        std::optional<MetricsToken> token = {}, MetricsEndpoint::Limits limits = MetricsEndpoint::Limits())
        : responder(readings, "1.0.0", std::move(token))
        , endpoint(responder, limits)
    {
        std::string error;
        MetricsAddress address { "127.0.0.1", 0 };
        EXPECT_TRUE(endpoint.Listen(address, error)) << error;
    }

    FixedReadings readings;
    MetricsResponder responder;
    MetricsEndpoint endpoint;
};

struct RequestCase {
    const char* name;
    bool withToken;
    const char* request;
    const char* statusLine;
    const char* header; // a header the response must carry
    bool hasExposition;
};

const char* const kText = "Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n";
const char* const kOpen = "Content-Type: application/openmetrics-text; version=1.0.0; charset=utf-8\r\n";

const RequestCase kRequests[] = {
    { "Text", false, "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200 OK", kText, true },
    { "OpenMetrics", false, "GET /metrics HTTP/1.1\r\naccept: application/openmetrics-text;version=1.0.0\r\n\r\n",
        "HTTP/1.1 200 OK", kOpen, true },
    { "QueryIgnored", false, "GET /metrics?x=1 HTTP/1.0\n\n", "HTTP/1.1 200 OK", kText, true },
    { "Head", false, "HEAD /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 200 OK", kText, false },
    { "OtherPath", false, "GET / HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found", "", false },
    { "SubPath", false, "GET /metrics/x HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found", "", false },
    { "Post", false, "POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "HTTP/1.1 405 Method Not Allowed",
        "Allow: GET, HEAD\r\n", false },
    { "Delete", false, "DELETE /quit HTTP/1.1\r\n\r\n", "HTTP/1.1 405 Method Not Allowed", "Allow: GET, HEAD\r\n",
        false },
    { "NotHttp", false, "hello\r\n\r\n", "HTTP/1.1 400 Bad Request", "", false },
    { "HeadTooLarge", false, "GET /metrics HTTP/1.1\r\nX: \r\n", "HTTP/1.1 431 Request Header Fields Too Large", "",
        false },
    { "NoToken", true, "GET /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 401 Unauthorized",
        "WWW-Authenticate: Bearer realm=\"kelvara\"\r\n", false },
    { "WrongToken", true, "GET /metrics HTTP/1.1\r\nAuthorization: Bearer s3cret-\r\n\r\n", "HTTP/1.1 401 Unauthorized",
        "", false },
    { "ShortToken", true, "GET /metrics HTTP/1.1\r\nAuthorization: Bearer s3cre\r\n\r\n", "HTTP/1.1 401 Unauthorized",
        "", false },
    { "BasicScheme", true, "GET /metrics HTTP/1.1\r\nAuthorization: Basic s3cret\r\n\r\n", "HTTP/1.1 401 Unauthorized",
        "", false },
    { "ProtectedPost", true, "POST /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 401 Unauthorized", "", false },
    { "RightToken", true, "GET /metrics HTTP/1.1\r\nAUTHORIZATION:  Bearer s3cret \r\n\r\n", "HTTP/1.1 200 OK", kText,
        true },
    { "RightTokenOtherPath", true, "GET /x HTTP/1.1\r\nAuthorization: Bearer s3cret\r\n\r\n", "HTTP/1.1 404 Not Found",
        "", false },
};

class Requests : public testing::TestWithParam<RequestCase> { };

}

TEST_P(Requests, AreAnswered)
{
    const RequestCase& c = GetParam();
    const std::string name = c.name;
    Endpoint served(c.withToken ? std::optional(MetricsToken("s3cret")) : std::nullopt);
    std::string request = c.request;
    if (name == "HeadTooLarge")
        request.insert(request.size() - 2, std::string(8 * 1024, 'x'));
    std::string response = Exchange(served.endpoint.GetPort(), request);

    EXPECT_TRUE(response.starts_with(std::string(c.statusLine) + "\r\n")) << response;
    EXPECT_NE(response.find(c.header), std::string::npos) << response;
    std::string body = response.substr(response.find("\r\n\r\n") + 4);
    std::string exposition = MetricsExposition::Write(served.readings.NewestReadings(), "1.0.0",
        std::string(c.header) == kOpen ? MetricsExposition::Format::OpenMetrics : MetricsExposition::Format::Text004);
    if (c.hasExposition)
        EXPECT_EQ(body, exposition);
    else if (name == "Head")
        EXPECT_EQ(body, "");
    else
        EXPECT_NE(body.find(c.statusLine + 13), std::string::npos) << "the status's reason as the body";
    std::string length = "Content-Length: " + std::to_string(name == "Head" ? exposition.size() : body.size()) + "\r\n";
    EXPECT_NE(response.find(length), std::string::npos) << response;
}

INSTANTIATE_TEST_SUITE_P(Endpoint, Requests, testing::ValuesIn(kRequests),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

// A response larger than the largest send buffer the system gives a socket (4 MB) reaches a client that starts
// reading late, whole, though the client sends more after its request's head.
TEST(Endpoint, SendsALargeResponseWholeToALateReader)
{
    MetricsEndpoint::Limits limits;
    limits.readTimeout = std::chrono::seconds(60); // a sanitizer's build takes its time to write the response
    Endpoint served({}, limits);
    served.readings.count = 30000;
    uint16_t port = served.endpoint.GetPort();
    auto late = std::async(std::launch::async, [port] {
        int fd = Connect(port, 4096);
        for (std::string bytes : { "GET /metrics HTTP/1.1\r\n\r\n", "unasked bytes" }) {
            ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        std::string response = ReadAll(fd);
        ::close(fd);
        return response;
    });
    std::string response = Serve(std::move(late));
    std::string exposition
        = MetricsExposition::Write(served.readings.NewestReadings(), "1.0.0", MetricsExposition::Format::Text004);
    ASSERT_GT(exposition.size(), 4u << 20);
    EXPECT_TRUE(response.ends_with("\r\n\r\n" + exposition)) << response.size() << " bytes";
    // The client's close ends the connection here too, soon after.
    LoopbackHttp::Serve([&] { return served.endpoint.CountConnections() == 0; }, std::chrono::seconds(3));
    EXPECT_EQ(served.endpoint.CountConnections(), 0u);
}

// Sixteen connections that say nothing hold every place: a seventeenth waits in the kernel's backlog and is
// served the moment one of them goes; those that never finish a request are dropped at the read timeout, a
// slowloris that trickles its head as well.
TEST(Endpoint, HoldsAtMostSixteenConnections)
{
    MetricsEndpoint::Limits limits;
    limits.readTimeout = std::chrono::milliseconds(1500);
    Endpoint served({}, limits);
    uint16_t port = served.endpoint.GetPort();
    std::vector<int> idle;
    for (int i = 0; i < 16; ++i)
        idle.push_back(Connect(port));
    LoopbackHttp::Serve({}, std::chrono::milliseconds(100));
    EXPECT_EQ(served.endpoint.CountConnections(), 16u);

    auto late = std::async(std::launch::async, [port] {
        int fd = Connect(port);
        std::string request = "GET /metrics HTTP/1.1\r\n\r\n";
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string response = ReadAll(fd);
        ::close(fd);
        return response;
    });
    LoopbackHttp::Serve({}, std::chrono::milliseconds(300));
    EXPECT_EQ(served.endpoint.CountConnections(), 16u);
    EXPECT_NE(late.wait_for(std::chrono::milliseconds(0)), std::future_status::ready) << "served past the limit";
    ::close(idle.back());
    idle.pop_back();
    QElapsedTimer waited;
    waited.start();
    EXPECT_TRUE(Serve(std::move(late)).starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_LT(waited.elapsed(), 1000) << "the waiting one is served when a place frees, not at the timeout";

    // A slowloris: a head that never ends, one byte at a time.
    auto slow = std::async(std::launch::async, [port] {
        int fd = Connect(port);
        QElapsedTimer timer;
        timer.start();
        for (char c : std::string("GET /metrics HTTP/1.1\r\nX-Slow: ")) {
            ::send(fd, &c, 1, MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::string rest = ReadAll(fd);
        ::close(fd);
        return std::pair(rest, timer.elapsed());
    });
    auto [rest, elapsed] = Serve(std::move(slow));
    EXPECT_EQ(rest, "") << "dropped without an answer";
    EXPECT_GE(elapsed, 1000);
    EXPECT_LT(elapsed, 4000);
    for (int fd : idle) {
        char byte;
        EXPECT_EQ(::read(fd, &byte, 1), 0) << "idle connections were dropped at the timeout";
        ::close(fd);
    }
    EXPECT_EQ(served.endpoint.CountConnections(), 0u);
}

TEST(Endpoint, RefusesTokenFilesOthersCanRead)
{
    TemporaryFolder folder;
    const std::tuple<const char*, const char*, mode_t, std::optional<std::string>> cases[] = {
        { "own", "s3cret  \r\nsecond line\n", 0600, "s3cret" },
        { "group", "s3cret\n", 0640, std::nullopt },
        { "others", "s3cret\n", 0604, std::nullopt },
        { "blank", "   \nsecond\n", 0600, std::nullopt },
    };
    for (const auto& [name, text, mode, token] : cases) {
        std::string path = folder / name;
        TestFiles::Write(path, text);
        ::chmod(path.c_str(), mode);
        std::string error;
        std::optional<MetricsToken> read = MetricsToken::ReadFile(path, error);
        EXPECT_EQ(read.has_value(), token.has_value()) << name;
        if (read)
            EXPECT_TRUE(read->Admits("Bearer " + *token)) << name;
        else
            EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(MetricsToken::ReadFile(folder / "missing", error));
}
