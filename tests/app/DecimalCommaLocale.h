#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

#include "tests/support/ScopedEnv.h"

namespace kelvo::test {

// Puts the whole process under German conventions, whose decimal point is a comma, for as long
// as it lives. The build generates the locale into its own folder (KELVO_TEST_LOCPATH), so the
// tests need no locale installed on the machine. Windows has the German locale itself.
class DecimalCommaLocale {
  public:
#ifdef _WIN32
    DecimalCommaLocale() {
        active_ = std::setlocale(LC_ALL, "German_Germany.1252") != nullptr &&
                  std::string(std::localeconv()->decimal_point) == ",";
    }
    ~DecimalCommaLocale() {
        std::setlocale(LC_ALL, "C");
    }
#else
    DecimalCommaLocale() : locPath_("LOCPATH", KELVO_TEST_LOCPATH) {
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr &&
                  std::string(std::localeconv()->decimal_point) == ",";
    }
    ~DecimalCommaLocale() {
        std::setlocale(LC_ALL, "C");
    }
#endif
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool active() const {
        return active_;
    }

  private:
#ifndef _WIN32
    ScopedEnv locPath_;  // where the build put the generated locale
#endif
    bool active_ = false;
};

}  // namespace kelvo::test
