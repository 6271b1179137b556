// The rules that turn observations of a monkey run into findings.
#include "tests/monkey/verdict.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace monkey {
namespace {

struct Pattern {
    const char* text;
    const char* kind;
};

// GLib prints "(prog:pid): Domain-LEVEL **: time: message"; the sanitizers print their own
// headers. The order matters only for the kind a line is counted under.
constexpr Pattern kErrorPatterns[] = {
    {"-CRITICAL **", "gtk-critical"},
    {"-WARNING **", "gtk-warning"},
    {"-ERROR **", "gtk-error"},
    {"Fontconfig error", "fontconfig-error"},
    {"Fontconfig warning", "fontconfig-warning"},
    {"still alive at exit", "retained-objects-alive"},
    // The game writes to stderr only when something went wrong (a missing run-time file...).
    {"zantobel: ", "program-message"},
    {"ERROR: AddressSanitizer", "address-sanitizer"},
    {"ERROR: LeakSanitizer", "leak-sanitizer"},
    {"runtime error:", "undefined-behaviour"},
};

std::string Trimmed(std::string_view line, size_t limit = 240) {
    std::string text(line.substr(0, limit));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

double Median(std::vector<long> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<Finding> ScanErrorOutput(std::string_view text) {
    std::map<std::string, std::pair<int, std::string>> seen;  // kind -> count, first line
    std::vector<std::string> order;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        for (const Pattern& p : kErrorPatterns) {
            if (line.find(p.text) == std::string_view::npos) continue;
            auto [it, fresh] = seen.try_emplace(p.kind, 0, Trimmed(line));
            if (fresh) order.push_back(p.kind);
            ++it->second.first;
            break;
        }
        start = end + 1;
    }
    std::vector<Finding> findings;
    for (const std::string& kind : order) {
        const auto& [count, first] = seen[kind];
        findings.push_back({kind, std::to_string(count) + " line(s), first: " + first});
    }
    return findings;
}

std::optional<Finding> JudgeQuiet(const QuietSpell& spell, const QuietLimits& limits) {
    const bool computing = spell.processorSeconds >= limits.busyShare * spell.seconds;
    char text[160];
    if (!computing && spell.seconds > limits.idleSeconds) {
        std::snprintf(text, sizeof text, "no repaint for %.1f s while idle (%.1f s of processor)",
                      spell.seconds, spell.processorSeconds);
        return Finding{"hang", text};
    }
    if (spell.seconds > limits.busySeconds) {
        std::snprintf(text, sizeof text,
                      "no repaint for %.1f s while computing (%.1f s of processor)", spell.seconds,
                      spell.processorSeconds);
        return Finding{"hang", text};
    }
    return std::nullopt;
}

MemoryVerdict JudgeMemory(const std::vector<long>& samplesKb, double limit) {
    MemoryVerdict verdict;
    // A quarter needs at least one sample of its own.
    if (samplesKb.size() < 4) return verdict;
    verdict.enoughSamples = true;
    const size_t quarter = samplesKb.size() / 4;
    std::vector<long> first(samplesKb.begin(), samplesKb.begin() + quarter);
    std::vector<long> last(samplesKb.end() - quarter, samplesKb.end());
    const double a = Median(first), b = Median(last);
    verdict.firstQuarterKb = static_cast<long>(a);
    verdict.lastQuarterKb = static_cast<long>(b);
    verdict.growth = a > 0 ? (b - a) / a : 0;
    if (verdict.growth > limit) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "resident memory grew %.1f %% (median %ld kB in the first quarter, %ld kB "
                      "in the last)",
                      100 * verdict.growth, verdict.firstQuarterKb, verdict.lastQuarterKb);
        verdict.finding = Finding{"memory-growth", text};
    }
    return verdict;
}

std::optional<Finding> JudgeExit(std::optional<int> waitStatus, const std::string& what) {
    if (!waitStatus) return Finding{"hang", what + " did not end"};
    const int status = *waitStatus;
    if (WIFSIGNALED(status)) {
        return Finding{"crash", what + " ended by signal " + std::to_string(WTERMSIG(status))};
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return Finding{"exit-code",
                       what + " ended with code " + std::to_string(WEXITSTATUS(status))};
    }
    return std::nullopt;
}

std::vector<LeakRecord> ParseLeakReport(std::string_view text) {
    std::vector<LeakRecord> leaks;
    LeakRecord* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const size_t first = line.find_first_not_of(' ');
        if (first == std::string_view::npos) {
            current = nullptr;  // a blank line ends a record's stack
            continue;
        }
        line = line.substr(first);
        if (StartsWith(line, "Direct leak of ") || StartsWith(line, "Indirect leak of ")) {
            leaks.push_back({std::string(line), {}});
            current = &leaks.back();
        } else if (current && line.size() > 1 && line[0] == '#') {
            current->frames.emplace_back(line);
        } else {
            current = nullptr;
        }
    }
    return leaks;
}

std::vector<std::string> SuppressedLibraries(std::string_view file) {
    std::vector<std::string> libraries;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        std::string_view line = file.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
            line.remove_suffix(1);
        if (StartsWith(line, "leak:") && line.size() > 5) libraries.emplace_back(line.substr(5));
    }
    return libraries;
}

bool FrameOfOurs(std::string_view frame) {
    // Unsymbolized library frames read "(/lib/x86_64-linux-gnu/libfoo.so.1+0x1f2)"; a frame
    // the fast unwinder could not place reads "(<unknown module>)".
    const bool library = frame.find(".so+") != std::string_view::npos ||
                         frame.find(".so.") != std::string_view::npos;
    const bool runtime = frame.find("libsanitizer/") != std::string_view::npos ||
                         frame.find("compiler-rt/") != std::string_view::npos;
    const bool unknown = frame.find("<unknown module>") != std::string_view::npos;
    return !library && !runtime && !unknown;
}

bool LeakOfLibraries(const LeakRecord& leak, const std::vector<std::string>& libraries) {
    if (std::any_of(leak.frames.begin(), leak.frames.end(),
                    [](const std::string& f) { return FrameOfOurs(f); })) {
        return false;
    }
    return std::any_of(leak.frames.begin(), leak.frames.end(), [&](const std::string& frame) {
        return std::any_of(libraries.begin(), libraries.end(), [&](const std::string& library) {
            return frame.find(library) != std::string::npos;
        });
    });
}

EndVerdict JudgeEnded(const EndedProcess& process, const LeakPolicy& policy) {
    EndVerdict verdict;
    bool leakReport = false, otherFault = false;
    for (Finding& f : ScanErrorOutput(process.errors)) {
        if (policy.active && f.kind == "leak-sanitizer") {
            leakReport = true;  // judged record by record below
            continue;
        }
        otherFault = true;
        f.detail = process.who + ": " + f.detail;
        verdict.findings.push_back(std::move(f));
    }
    if (leakReport) {
        for (const LeakRecord& leak : ParseLeakReport(process.errors)) {
            ++verdict.leakRecords;
            if (LeakOfLibraries(leak, policy.libraries)) {
                ++verdict.excusedLeaks;
                continue;
            }
            otherFault = true;
            std::string where = leak.frames.empty() ? "no stack" : leak.frames.back();
            for (const std::string& frame : leak.frames) {
                if (FrameOfOurs(frame)) {
                    where = frame;
                    break;
                }
            }
            verdict.findings.push_back({"leak", process.who + ": " + leak.header + " " + where});
        }
    }
    const std::optional<int>& status = process.waitStatus;
    const bool sanitizerExit =
        status && WIFEXITED(*status) && WEXITSTATUS(*status) == policy.sanitizerExitCode;
    if (leakReport && sanitizerExit) {
        // The sanitizer's own exit code says only that it reported; the report was judged.
        if (!otherFault && verdict.excusedLeaks == 0) {
            verdict.findings.push_back({"leak", process.who + ": a leak report without records"});
        }
        return verdict;
    }
    if (auto bad = JudgeExit(status, process.who)) verdict.findings.push_back(*bad);
    return verdict;
}

}  // namespace monkey
