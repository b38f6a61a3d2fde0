// Start-up benchmark harness: how long a desktop program takes from being
// started to showing its first window, and how much memory it takes.
//
// Both are measured from outside the program, so any two programs are
// measured identically and neither needs to cooperate. The harness watches an
// X server of its own (SubstructureNotify on the root window) and times each
// run from just before fork() to the first MapNotify of a top-level window
// whose _NET_WM_PID is the child's. The child is then left running for a fixed
// settling time (so that its first paint and whatever it shows next are part
// of the memory figure), terminated, and reaped with wait4(), whose ru_maxrss
// is the peak resident memory of that same run.
//
// Usage: quorvel_startup_bench [options] PROGRAM BASELINE
// Prints medians, minima and maxima of both figures for both programs, and
// the ratios PROGRAM / BASELINE.

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options
{
    int runs = 15;
    int settleMilliseconds = 1000;
    int timeoutMilliseconds = 30000;
    std::string display;       // empty: start an Xvfb of our own
    std::string xvfb = "Xvfb"; // found on PATH unless given
    std::string screen = "1280x1024x24";
    std::string workFolder; // empty: the first program's folder
    std::string csvFile;    // empty: no per-run file
    bool verbose = false;
    std::string program;
    std::string baseline;
};

void usage(std::FILE *out)
{
    std::fputs("Usage: quorvel_startup_bench [options] PROGRAM BASELINE\n"
               "Times PROGRAM and BASELINE from start to their first window mapped, and\n"
               "collects their peak resident memory, on a private Xvfb.\n"
               "  --runs N          measured runs of each program (default 15; at least 1)\n"
               "  --settle-ms N     keep each program running N ms after its first window\n"
               "                    is mapped before terminating it (default 1000)\n"
               "  --timeout-ms N    give up on a run after N ms without a window (default 30000)\n"
               "  --display NAME    use this X server instead of starting Xvfb\n"
               "  --xvfb PATH       the Xvfb to start (default: Xvfb on PATH)\n"
               "  --screen WxHxD    Xvfb screen (default 1280x1024x24; always 96 dpi)\n"
               "  --workdir DIR     run both programs in DIR (default: PROGRAM's folder)\n"
               "  --csv FILE        write every run's figures to FILE\n"
               "  --verbose         print every run as it ends\n",
               out);
}

std::optional<Options> parseOptions(int argc, char *argv[])
{
    Options options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", argument.c_str());
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        const auto number = [&](int &target, int least) {
            const auto text = value();
            if (!text)
                return false;
            char *end = nullptr;
            const long parsed = std::strtol(text->c_str(), &end, 10);
            if (end == text->c_str() || *end != '\0' || parsed < least || parsed > 1000000) {
                std::fprintf(stderr, "%s: not a number from %d on: %s\n", argument.c_str(), least,
                             text->c_str());
                return false;
            }
            target = static_cast<int>(parsed);
            return true;
        };
        const auto text = [&](std::string &target) {
            const auto given = value();
            if (given)
                target = *given;
            return given.has_value();
        };
        bool ok = true;
        if (argument == "--help" || argument == "-h") {
            usage(stdout);
            std::exit(EXIT_SUCCESS);
        } else if (argument == "--runs") {
            ok = number(options.runs, 1);
        } else if (argument == "--settle-ms") {
            ok = number(options.settleMilliseconds, 0);
        } else if (argument == "--timeout-ms") {
            ok = number(options.timeoutMilliseconds, 1);
        } else if (argument == "--display") {
            ok = text(options.display);
        } else if (argument == "--xvfb") {
            ok = text(options.xvfb);
        } else if (argument == "--screen") {
            ok = text(options.screen);
        } else if (argument == "--workdir") {
            ok = text(options.workFolder);
        } else if (argument == "--csv") {
            ok = text(options.csvFile);
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument.starts_with("-")) {
            std::fprintf(stderr, "unknown option %s\n", argument.c_str());
            ok = false;
        } else {
            positional.push_back(argument);
        }
        if (!ok)
            return std::nullopt;
    }
    if (positional.size() != 2) {
        usage(stderr);
        return std::nullopt;
    }
    // Absolute paths: the children run in another folder.
    options.program = fs::absolute(positional[0]).string();
    options.baseline = fs::absolute(positional[1]).string();
    if (options.workFolder.empty())
        options.workFolder = fs::path(options.program).parent_path().string();
    return options;
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Sleeps until `until`, or until `fd` is readable, whichever comes first.
void waitReadable(int fd, Clock::time_point until)
{
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero())
        return;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    pollfd entry{fd, POLLIN, 0};
    ::poll(&entry, 1, static_cast<int>(std::min<long long>(ms, 1000)));
}

// ---- The X server -------------------------------------------------------

// An Xvfb started for this benchmark alone, so no other client's windows are
// mapped on it and every run sees the same server.
class PrivateXvfb
{
public:
    PrivateXvfb() = default;
    PrivateXvfb(const PrivateXvfb &) = delete;
    PrivateXvfb &operator=(const PrivateXvfb &) = delete;
    ~PrivateXvfb() { stop(); }

    // Returns the display name (":N"), or nothing when it did not come up.
    std::optional<std::string> start(const std::string &xvfb, const std::string &screen)
    {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0)
            return std::nullopt;
        pid_ = ::fork();
        if (pid_ < 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return std::nullopt;
        }
        if (pid_ == 0) {
            // -displayfd: Xvfb picks a free display and writes its number
            // there once it accepts connections, which is the moment to go.
            const int fd = ::fcntl(ready[1], F_DUPFD, 3);
            const std::string fdText = std::to_string(fd);
            const int quiet = ::open("/dev/null", O_WRONLY);
            if (quiet >= 0) {
                ::dup2(quiet, STDOUT_FILENO);
                ::dup2(quiet, STDERR_FILENO);
            }
            ::execlp(xvfb.c_str(), xvfb.c_str(), "-displayfd", fdText.c_str(), "-screen", "0",
                     screen.c_str(), "-dpi", "96", "-nolisten", "tcp", "-noreset",
                     static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        std::string number;
        const auto until = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < until) {
            waitReadable(ready[0], until);
            char buffer[16];
            const ssize_t got = ::read(ready[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            number.append(buffer, static_cast<size_t>(got));
            if (number.find('\n') != std::string::npos)
                break;
        }
        ::close(ready[0]);
        while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
            number.pop_back();
        if (number.empty()) {
            stop();
            return std::nullopt;
        }
        return ":" + number;
    }

    void stop()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

struct XcbDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbDeleter>;

class Screen
{
public:
    explicit Screen(const std::string &display)
    {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_))
            return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        // Without a window manager the programs' top-level windows are
        // children of the root, so their MapNotify comes to us here.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        XcbReply<xcb_generic_error_t> error(xcb_request_check(
            connection_,
            xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask)));
        if (error)
            return;
        // The programs started from here must not inherit our connection.
        ::fcntl(fd(), F_SETFD, FD_CLOEXEC);
        wmPid_ = atom("_NET_WM_PID");
        netWmName_ = atom("_NET_WM_NAME");
        utf8String_ = atom("UTF8_STRING");
        ok_ = true;
    }
    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;
    ~Screen() { xcb_disconnect(connection_); }

    bool ok() const { return ok_; }
    int fd() const { return xcb_get_file_descriptor(connection_); }
    xcb_connection_t *connection() const { return connection_; }

    // The pid the window's owner announced, or nothing if it did not.
    std::optional<uint32_t> windowPid(xcb_window_t window) const
    {
        const auto value = property(window, wmPid_, XCB_ATOM_CARDINAL);
        if (value.size() != sizeof(uint32_t))
            return std::nullopt;
        uint32_t pid = 0;
        std::memcpy(&pid, value.data(), sizeof pid);
        return pid;
    }

    std::string windowTitle(xcb_window_t window) const
    {
        std::string title = property(window, netWmName_, utf8String_);
        return title.empty() ? property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) : title;
    }

    std::string windowSize(xcb_window_t window) const
    {
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
        if (!geometry)
            return "?";
        return std::to_string(geometry->width) + "x" + std::to_string(geometry->height);
    }

    // Waits until the server has handled everything sent so far.
    void sync() const
    {
        XcbReply<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

private:
    xcb_atom_t atom(const char *name) const
    {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const
    {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, name, type, 0, 256), nullptr));
        if (!reply || reply->type != type)
            return {};
        const auto *data = static_cast<const char *>(xcb_get_property_value(reply.get()));
        return std::string(data, static_cast<size_t>(xcb_get_property_value_length(reply.get())));
    }

    xcb_connection_t *connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t wmPid_ = XCB_ATOM_NONE;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
    xcb_atom_t utf8String_ = XCB_ATOM_NONE;
    bool ok_ = false;
};

// ---- One run ------------------------------------------------------------

struct Run
{
    bool ok = false;
    std::string failure;
    double mapMilliseconds = 0;      // fork() to the first MapNotify
    long peakKib = 0;                // ru_maxrss over the whole run
    long peakAtMapKib = 0;           // VmHWM read as the window was mapped
    double cpuAtMapMilliseconds = 0; // CPU time of its threads up to the map
    double cpuMilliseconds = 0;      // user + system time over the whole run
    std::string windowSize;          // of the first window mapped
    std::string windowTitle;
};

struct Environment
{
    std::string display;
    std::string home;
};

// Peak resident memory so far, from /proc; 0 if it cannot be read.
long peakResidentKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:"))
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// CPU time the process's threads have run so far, from the scheduler's own
// nanosecond counts (utime and stime in /proc tick only every 10 ms). Unlike
// the time to the first map, it hardly depends on what else the machine runs.
double cpuMilliseconds(pid_t pid)
{
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    double total = 0;
    for (const fs::directory_entry &task : fs::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        unsigned long long nanoseconds = 0;
        if (schedstat >> nanoseconds)
            total += static_cast<double>(nanoseconds) / 1e6;
    }
    return total;
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void drainEvents(xcb_connection_t *connection)
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection))
        std::free(event);
}

// Reaps the child if it has ended; true then, with its status and usage.
bool reap(pid_t pid, int options, int &status, rusage &usage)
{
    for (;;) {
        const pid_t got = ::wait4(pid, &status, options, &usage);
        if (got == pid)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        return false;
    }
}

std::string describeStatus(int status)
{
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by ") + strsignal(WTERMSIG(status));
    return "ended";
}

Run runOnce(const Options &options, const Screen &screen, const Environment &environment,
            const std::string &program)
{
    Run run;

    // A fresh, empty runtime folder per run: Qt wants one (and warns without
    // it), and a new one every time means no run sees what the last one left.
    std::string folderTemplate = (fs::temp_directory_path() / "quorvel-startup-XXXXXX").string();
    if (!::mkdtemp(folderTemplate.data())) {
        run.failure = "cannot make a runtime folder";
        return run;
    }
    const fs::path runtimeFolder = folderTemplate;
    const fs::path log = runtimeFolder / "output.txt";

    // The same environment for every run of every program, not the caller's:
    // nothing the caller has set (a Qt style, a scale factor, a theme) can
    // make one program's runs differ from the other's. PATH is fixed too, as
    // Qt searches it (for dbus-launch) while starting.
    std::vector<std::string> variables = {
        "DISPLAY=" + environment.display,
        "HOME=" + environment.home,
        "PATH=/usr/local/bin:/usr/bin:/bin",
        "LANG=C.UTF-8",
        "QT_QPA_PLATFORM=xcb",
        "XDG_RUNTIME_DIR=" + runtimeFolder.string(),
    };
    std::vector<char *> envp;
    for (std::string &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string programCopy = program;
    char *argv[] = {programCopy.data(), nullptr};

    xcb_connection_t *connection = screen.connection();
    screen.sync();
    drainEvents(connection);

    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        run.failure = std::string("fork: ") + std::strerror(errno);
        fs::remove_all(runtimeFolder);
        return run;
    }
    if (pid == 0) {
        if (::chdir(options.workFolder.c_str()) != 0)
            ::_exit(126);
        const int output = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (output >= 0) {
            ::dup2(output, STDOUT_FILENO);
            ::dup2(output, STDERR_FILENO);
        }
        const int input = ::open("/dev/null", O_RDONLY);
        if (input >= 0)
            ::dup2(input, STDIN_FILENO);
        ::execve(argv[0], argv, envp.data());
        ::_exit(127);
    }

    int status = 0;
    rusage usage{};
    bool ended = false;
    std::optional<Clock::time_point> mapped;
    const auto giveUp = start + std::chrono::milliseconds(options.timeoutMilliseconds);

    // Up to the first window. Polling the child as well, so a program that
    // dies before showing anything is not waited on for the whole timeout.
    while (!mapped && !ended && Clock::now() < giveUp) {
        waitReadable(screen.fd(), std::min(giveUp, Clock::now() + std::chrono::milliseconds(20)));
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const Clock::time_point seen = Clock::now();
            if (!mapped && (event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
                // Read before asking the server whose window it is: the
                // program goes on running during that round trip.
                const long peakSoFar = peakResidentKib(pid);
                const double cpuSoFar = cpuMilliseconds(pid);
                const std::optional<uint32_t> owner = screen.windowPid(map->window);
                // On our own Xvfb every window is the child's; on a shared
                // server only those it marks with its pid count.
                const bool ours =
                    owner ? *owner == static_cast<uint32_t>(pid) : options.display.empty();
                if (ours) {
                    mapped = seen;
                    run.peakAtMapKib = peakSoFar;
                    run.cpuAtMapMilliseconds = cpuSoFar;
                    run.windowSize = screen.windowSize(map->window);
                    run.windowTitle = screen.windowTitle(map->window);
                }
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection)) {
            run.failure = "lost the X server";
            break;
        }
        ended = reap(pid, WNOHANG, status, usage);
    }

    if (mapped) {
        run.mapMilliseconds = millisecondsBetween(start, *mapped);
        // Settle: the first paint and what the program shows next count
        // towards its memory, the same span for every program.
        const auto settled = *mapped + std::chrono::milliseconds(options.settleMilliseconds);
        while (!ended && Clock::now() < settled) {
            waitReadable(screen.fd(),
                         std::min(settled, Clock::now() + std::chrono::milliseconds(20)));
            drainEvents(connection);
            ended = reap(pid, WNOHANG, status, usage);
        }
    } else if (run.failure.empty()) {
        run.failure =
            ended ? "no window: the program " + describeStatus(status)
                  : "no window within " + std::to_string(options.timeoutMilliseconds) + " ms";
    }

    if (!ended) {
        ::kill(pid, SIGTERM);
        const auto killAt = Clock::now() + std::chrono::seconds(2);
        while (!(ended = reap(pid, WNOHANG, status, usage)) && Clock::now() < killAt)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!ended) {
            ::kill(pid, SIGKILL);
            ended = reap(pid, 0, status, usage);
        }
    }

    if (mapped && ended) {
        run.ok = true;
        run.peakKib = usage.ru_maxrss;
        const auto cpu = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        run.cpuMilliseconds = cpu(usage.ru_utime) + cpu(usage.ru_stime);
    } else if (!run.failure.empty()) {
        const std::string output = readFile(log);
        if (!output.empty())
            run.failure += "\n--- its output ---\n" + output;
    }
    fs::remove_all(runtimeFolder);
    drainEvents(connection);
    return run;
}

// ---- Figures ------------------------------------------------------------

struct Summary
{
    double median = 0;
    double min = 0;
    double max = 0;
};

Summary summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    Summary s;
    s.min = values.front();
    s.max = values.back();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return s;
}

struct Series
{
    std::string name;
    std::string path;
    std::vector<Run> runs;

    Summary of(double Run::*field) const
    {
        std::vector<double> values;
        for (const Run &run : runs)
            values.push_back(run.*field);
        return summarise(values);
    }
    Summary of(long Run::*field, double scale) const
    {
        std::vector<double> values;
        for (const Run &run : runs)
            values.push_back(static_cast<double>(run.*field) * scale);
        return summarise(values);
    }
};

constexpr double MibPerKib = 1.0 / 1024.0;

// The 1-minute load average, for the table's heading: wall-clock times only
// mean something on an otherwise idle machine.
double machineLoad()
{
    std::ifstream loadavg("/proc/loadavg");
    double load = -1;
    loadavg >> load;
    return load;
}

void printTable(const Options &options, const std::string &display, const Series &program,
                const Series &baseline, double loadBefore)
{
    std::printf("\nStart-up on X server %s (%s, 96 dpi): %d runs of each program, each kept\n"
                "running %d ms after its first window was mapped.\n"
                "first map: from fork() to the first MapNotify of the program's window.\n"
                "CPU to map: CPU time of the program's threads up to that moment.\n"
                "peak RSS: ru_maxrss of the whole run; RSS at map: VmHWM when it was mapped.\n"
                "Load average %.2f before, %.2f after, on %u processors; more than a few\n"
                "tenths makes the first-map times noisy (CPU to map much less so).\n\n",
                display.c_str(), options.display.empty() ? options.screen.c_str() : "as found",
                options.runs, options.settleMilliseconds, loadBefore, machineLoad(),
                std::thread::hardware_concurrency());
    const int nameWidth = static_cast<int>(
        std::max<size_t>({std::strlen("program"), program.name.size(), baseline.name.size()}));
    std::printf("%-*s  %-9s  %-22s  %-22s  %-22s  %s\n", nameWidth, "", "", "first map (ms)",
                "CPU to map (ms)", "peak RSS (MiB)", "RSS at map (MiB)");
    std::printf("%-*s  %-9s  %6s %7s %7s  %6s %7s %7s  %6s %7s %7s  %6s\n", nameWidth, "program",
                "window", "median", "min", "max", "median", "min", "max", "median", "min", "max",
                "median");
    for (const Series *series : {&program, &baseline}) {
        const Summary map = series->of(&Run::mapMilliseconds);
        const Summary cpu = series->of(&Run::cpuAtMapMilliseconds);
        const Summary peak = series->of(&Run::peakKib, MibPerKib);
        const Summary atMap = series->of(&Run::peakAtMapKib, MibPerKib);
        std::printf("%-*s  %-9s  %6.1f %7.1f %7.1f  %6.1f %7.1f %7.1f  %6.1f %7.1f %7.1f  %6.1f\n",
                    nameWidth, series->name.c_str(), series->runs.front().windowSize.c_str(),
                    map.median, map.min, map.max, cpu.median, cpu.min, cpu.max, peak.median,
                    peak.min, peak.max, atMap.median);
    }
    const auto ratio = [&](auto field, auto... scale) {
        return program.of(field, scale...).median / baseline.of(field, scale...).median;
    };
    std::printf("%-*s  %-9s  %6.2f %15s  %6.2f %15s  %6.2f %15s  %6.2f\n", nameWidth, "ratio", "",
                ratio(&Run::mapMilliseconds), "", ratio(&Run::cpuAtMapMilliseconds), "",
                ratio(&Run::peakKib, MibPerKib), "", ratio(&Run::peakAtMapKib, MibPerKib));
    std::printf("(ratio: the medians of %s divided by those of %s)\n", program.name.c_str(),
                baseline.name.c_str());
}

bool writeCsv(const std::string &file, const std::vector<const Series *> &all)
{
    std::ofstream out(file);
    out << "program,run,first_map_ms,cpu_to_map_ms,peak_rss_kib,rss_at_map_kib,cpu_ms,window\n";
    for (const Series *series : all) {
        for (size_t i = 0; i < series->runs.size(); ++i) {
            const Run &run = series->runs[i];
            out << series->name << ',' << i + 1 << ',' << run.mapMilliseconds << ','
                << run.cpuAtMapMilliseconds << ',' << run.peakKib << ',' << run.peakAtMapKib << ','
                << run.cpuMilliseconds << ',' << run.windowSize << '\n';
        }
    }
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char *argv[])
{
    const std::optional<Options> parsed = parseOptions(argc, argv);
    if (!parsed)
        return 2;
    const Options &options = *parsed;
    for (const std::string &program : {options.program, options.baseline}) {
        if (::access(program.c_str(), X_OK) != 0) {
            std::fprintf(stderr, "not a program: %s (build it first)\n", program.c_str());
            return 2;
        }
    }

    PrivateXvfb xvfb;
    std::string display = options.display;
    if (display.empty()) {
        const std::optional<std::string> started = xvfb.start(options.xvfb, options.screen);
        if (!started) {
            std::fprintf(stderr, "could not start %s\n", options.xvfb.c_str());
            return 1;
        }
        display = *started;
    }
    Screen screen(display);
    if (!screen.ok()) {
        std::fprintf(stderr, "cannot watch the X server %s\n", display.c_str());
        return 1;
    }

    const char *home = std::getenv("HOME");
    const Environment environment{display, home && *home == '/' ? home : "/tmp"};

    Series program{fs::path(options.program).filename().string(), options.program, {}};
    Series baseline{fs::path(options.baseline).filename().string(), options.baseline, {}};

    const auto once = [&](Series &series, bool keep) {
        const Run run = runOnce(options, screen, environment, series.path);
        if (!run.ok) {
            std::fprintf(stderr, "%s: %s\n", series.name.c_str(), run.failure.c_str());
            return false;
        }
        if (options.verbose)
            std::fprintf(stderr, "%-22s %-9s %8.1f ms %8.1f MiB peak  \"%s\"%s\n",
                         series.name.c_str(), run.windowSize.c_str(), run.mapMilliseconds,
                         static_cast<double>(run.peakKib) * MibPerKib, run.windowTitle.c_str(),
                         keep ? "" : "  (warm-up)");
        if (keep)
            series.runs.push_back(run);
        // A pause between runs, so one run's ending (the server destroying
        // its windows, the kernel freeing its memory) does not overlap the
        // next run's start.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return true;
    };

    const double loadBefore = machineLoad();
    // One unmeasured run of each first: the libraries, fonts and data files
    // come from the page cache in every measured run, for both programs.
    if (!once(program, false) || !once(baseline, false))
        return 1;
    // Alternating, and the order switched every round, so a slow spell of
    // the machine falls on both programs alike.
    for (int round = 0; round < options.runs; ++round) {
        Series &first = round % 2 ? baseline : program;
        Series &second = round % 2 ? program : baseline;
        if (!once(first, true) || !once(second, true))
            return 1;
    }

    printTable(options, display, program, baseline, loadBefore);
    if (!options.csvFile.empty() && !writeCsv(options.csvFile, {&program, &baseline})) {
        std::fprintf(stderr, "could not write %s\n", options.csvFile.c_str());
        return 1;
    }
    return 0;
}
