#pragma once

#include "sock/Sock.h"
#include "tests/support/SockTestSupport.h"
#include "tests/support/TestFolder.h"
#include "web/WebDownload.h"

#include <algorithm>
#include <filesystem>

namespace zintra {

// The limits a case runs under: no case may race one limit against another.
constexpr HttpLimits kShortIdle{std::chrono::seconds(2), std::chrono::seconds(2),
                                std::chrono::minutes(5)};
constexpr HttpLimits kShortWhole{std::chrono::seconds(20), std::chrono::seconds(20),
                                 std::chrono::seconds(2)};

// A program folder with its web folder, and a published folder of collections.
struct WebFixture {
    TestFolder program, published, scratch;
    WebFolder folder{QString::fromStdString(program.Path("web"))};
    TSock sock{nullptr};
    HttpGet get{sock};

    WebFixture() {
        std::filesystem::create_directories(published.Path("lists"));
        published.Write("lists/proverbs.zin", "Proverbs\nA stitch in time.\nThe end.\n");
        published.Write("lists/caf\xc3\xa9 talk.zin", "Talk\nEspresso.\nBye.\n");
        published.Write("lists/readme.txt", "not a collection\n");
    }

    template <class Outcome, class Job> Outcome Await(Job& job, const QUrl& url, auto... more) {
        Outcome outcome;
        outcome.failure = "no outcome";
        job.OnDone = [&](const Outcome& done) { outcome = done; };
        job.Start(url, more...);
        PumpUntil([&] { return outcome.failure != "no outcome"; }, 30000);
        return outcome;
    }
    HttpAnswer Get(const QUrl& url) { return Await<HttpAnswer>(get, url); }
    DownloadOutcome Download(const QUrl& url, bool refresh = false) {
        WebDownload download(get, folder);
        return Await<DownloadOutcome>(download, url, refresh);
    }

    std::vector<std::string> ProgramFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(program.Path(""))) {
            files.push_back(entry.path().string());
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

} // namespace zintra
