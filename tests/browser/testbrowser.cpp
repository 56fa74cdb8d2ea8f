// A stand-in browser for the tests: serves the "WWW_" topics of any DDE service name
// and the members of the "Mosaic.MosaicCCI" automation object on the conversation
// transport, and records every request it gets.
//
//   testbrowser [--dir FOLDER] --service NAME... [--reply KEY=TEXT] [--reply-file KEY=FILE]
//               [--slow KEY] [--refuse KEY] [--fail-calls N] [--log FILE]
//
// KEY is a DDE topic ("WWW_GetWindowInfo"), an automation member ("GetCurrentDocURL")
// or "CREATE" for creating the automation object. --slow never answers that key (the
// client times out), --refuse refuses it, --fail-calls refuses the first N member
// calls. The log has one line per request: the service, then the request's fields,
// separated by tabs, with backslash, tab, CR and LF written as \\ \t \r \n.
// "ready" is printed on standard output once every endpoint listens.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "browser/ConversationEndpoint.h"
#include "browser/ConversationServer.h"

using namespace brindlex;

namespace {

std::string escape(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool splitKeyValue(const std::string& text, std::string& key, std::string& value)
{
    const size_t eq = text.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    key = text.substr(0, eq);
    value = text.substr(eq + 1);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder = conversationFolder();
    std::vector<std::string> services;
    std::map<std::string, std::string> replies = {
        { "WWW_ListWindows", "1" },
        { "WWW_OpenURL", "1" },
        { "WWW_Activate", "1" },
        { "WWW_GetWindowInfo", "\"http://example.org/\",\"Example\"" },
        { "GetCurrentDocURL", "http://example.org/" },
        { "GetCurrentDocTitle", "Example" },
        { "ResolveUrl", "True" },
        { "doactivate", "" },
    };
    std::set<std::string> slow;
    std::set<std::string> refused;
    int failCalls = 0;
    std::string logPath;

    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            std::cerr << "testbrowser: " << option << " needs a value\n";
            return 2;
        }
        const std::string value = argv[++i];
        std::string key;
        std::string text;
        if (option == "--dir") {
            folder = value;
        } else if (option == "--service") {
            services.push_back(value);
        } else if (option == "--reply" && splitKeyValue(value, key, text)) {
            replies[key] = text;
        } else if (option == "--reply-file" && splitKeyValue(value, key, text)) {
            std::ifstream in(text, std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            replies[key] = content.str();
        } else if (option == "--slow") {
            slow.insert(value);
        } else if (option == "--refuse") {
            refused.insert(value);
        } else if (option == "--fail-calls") {
            failCalls = std::atoi(value.c_str());
        } else if (option == "--log") {
            logPath = value;
        } else {
            std::cerr << "testbrowser: bad option " << option << "\n";
            return 2;
        }
    }

    std::ofstream log;
    if (!logPath.empty()) {
        log.open(logPath, std::ios::app | std::ios::binary);
    }
    // The server answers connections on threads of their own: one request at a time here.
    std::mutex serving;
    ConversationServer server(folder, [&](const std::string& service, const std::vector<std::string>& request) {
        const std::lock_guard<std::mutex> lock(serving);
        if (log.is_open()) {
            log << escape(service);
            for (const std::string& field : request) {
                log << '\t' << escape(field);
            }
            log << '\n';
            log.flush();
        }
        const std::string& kind = request[0];
        std::string key = kind;
        if ((kind == "REQUEST" || kind == "CALL") && request.size() >= 2) {
            key = request[1];
        }
        if (slow.count(key) != 0) {
            return ServerAnswer { ServerAnswer::Kind::Hold, {} };
        }
        if (refused.count(key) != 0) {
            return ServerAnswer { ServerAnswer::Kind::Refuse, "refused" };
        }
        if (kind == "CALL" && failCalls > 0) {
            --failCalls;
            return ServerAnswer { ServerAnswer::Kind::Refuse, "failing call" };
        }
        if (kind == "CREATE") {
            return ServerAnswer { ServerAnswer::Kind::Reply, {} };
        }
        const auto reply = replies.find(key);
        if (reply == replies.end()) {
            return ServerAnswer { ServerAnswer::Kind::Refuse, "unknown item" };
        }
        return ServerAnswer { ServerAnswer::Kind::Reply, reply->second };
    });
    for (const std::string& service : services) {
        if (Status listening = server.listen(service); !listening.ok()) {
            std::cerr << "testbrowser: " << listening.error().message << "\n";
            return 1;
        }
    }
    std::cout << "ready" << std::endl;
    for (;;) {
        server.serveOnce(-1);
    }
}
