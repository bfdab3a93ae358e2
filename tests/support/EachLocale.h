#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace kelvo::test {

// Runs `body` in the "C" locale, then in the user's own (`setlocale(LC_ALL, "")`, as a host
// program that prints sets it: code page 932 under Wine with LANG=ja_JP.UTF-8), and puts the
// locale back. A run that names KELVO_EXPECT_LOCALE expects the user's locale to contain it, so
// that a locale the machine lacks cannot pass for the "C" one twice.
template <class Body>
void inEachLocale(Body&& body) {
    const char* now = std::setlocale(LC_ALL, nullptr);
    const std::string before = now ? now : "C";
    for (const char* name : {"C", ""}) {
        const char* set = std::setlocale(LC_ALL, name);
        const std::string active = set ? set : "C";
        if (const char* expected = std::getenv("KELVO_EXPECT_LOCALE"); expected && !*name) {
            EXPECT_NE(active.find(expected), std::string::npos) << active;
        }
        SCOPED_TRACE("locale " + active);
        body();
    }
    std::setlocale(LC_ALL, before.c_str());
}

}  // namespace kelvo::test
