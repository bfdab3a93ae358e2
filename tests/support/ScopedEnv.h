#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kelvo::test {

// Sets or removes an environment variable for the scope and puts back what was there before,
// so that one test's session does not leak into the next.
class ScopedEnv {
  public:
    explicit ScopedEnv(const char* name) : name_(name), wasSet_(qEnvironmentVariableIsSet(name)) {
        if (wasSet_)
            saved_ = qgetenv(name);
        qunsetenv(name);
    }
    ScopedEnv(const char* name, const QByteArray& value) : ScopedEnv(name) { set(value); }
    ~ScopedEnv() {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const QByteArray& value) { qputenv(name_, value); }
    void unset() { qunsetenv(name_); }

  private:
    const char* name_;
    bool wasSet_;
    QByteArray saved_;
};

}  // namespace kelvo::test
