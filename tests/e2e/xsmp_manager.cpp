// A stand-in X11 session manager (XSMP over ICE) for the end-to-end tests. It prints
// "SESSION_MANAGER=<address>" first, then what its clients tell it, one line each:
//   register <client id>
//   property <name> <value…>   (a number for a CARD8 such as RestartStyleHint)
//   done <1|0>                 (SaveYourselfDone and its success)
//   closed
// and reads commands from standard input, one a line, sent to every registered client, until
// its end:
//   checkpoint   save both kinds of state, nothing ends (SaveComplete follows the reply)
//   logout       save both for a shutdown; Die follows the reply
//   shutdown     save both for a shutdown and wait for cancel or die
//   cancel       the shutdown is cancelled
//   die          the session ends
// A new client gets the local save every session manager sends after registering one.
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Client {
    IceConn ice = nullptr;
    SmsConn sms = nullptr;
    bool registered = false;
    bool dieAfterSave = false;
    bool shuttingDown = false;
};

std::vector<Client*> clients;

Client* clientOf(SmPointer data) {
    return static_cast<Client*>(data);
}

Bool anyHost(char*) {
    return True;
}

// The default handler exits the manager when a client goes away.
void ignoreIoError(IceConn) {}

Status registerClient(SmsConn sms, SmPointer data, char*) {
    char* id = SmsGenerateClientID(sms);
    if (!id)
        return 0;
    std::printf("register %s\n", id);
    const Status ok = SmsRegisterClientReply(sms, id);
    std::free(id);
    clientOf(data)->registered = ok != 0;
    if (ok)
        SmsSaveYourself(sms, SmSaveLocal, False, SmInteractStyleNone, False);
    return ok;
}

void interactRequest(SmsConn sms, SmPointer, int) {
    std::printf("interact-request\n");
    SmsInteract(sms);
}

void interactDone(SmsConn, SmPointer, Bool cancel) {
    std::printf("interact-done %d\n", cancel);
}

void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {
    std::printf("save-request\n");
}

void phase2Request(SmsConn sms, SmPointer) {
    SmsSaveYourselfPhase2(sms);
}

void saveYourselfDone(SmsConn sms, SmPointer data, Bool success) {
    std::printf("done %d\n", success);
    Client* c = clientOf(data);
    if (c->dieAfterSave) {
        c->dieAfterSave = false;
        SmsDie(sms);
    } else if (!c->shuttingDown) {
        SmsSaveComplete(sms);
    }
}

void closeConnection(SmsConn sms, SmPointer data, int count, char** reasons) {
    std::printf("closed\n");
    SmFreeReasons(count, reasons);
    Client* c = clientOf(data);
    IceSetShutdownNegotiation(c->ice, False);
    IceCloseConnection(c->ice);
    SmsCleanUp(sms);
    c->ice = nullptr;
}

void setProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i) {
        const SmProp* p = props[i];
        std::printf("property %s", p->name);
        for (int v = 0; v < p->num_vals; ++v) {
            const SmPropValue& value = p->vals[v];
            if (std::strcmp(p->type, SmCARD8) == 0 && value.length > 0)
                std::printf(" %d", *static_cast<unsigned char*>(value.value));
            else
                std::printf(" %.*s", value.length, static_cast<char*>(value.value));
        }
        std::printf("\n");
        SmFreeProperty(props[i]);
    }
    std::free(props);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn sms, SmPointer) {
    SmsReturnProperties(sms, 0, nullptr);
}

Status newClient(SmsConn sms, SmPointer, unsigned long* mask, SmsCallbacks* cb, char**) {
    Client* c = nullptr;
    for (Client* known : clients)
        if (known->ice == SmsGetIceConnection(sms))
            c = known;
    if (!c)
        return 0;
    c->sms = sms;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    cb->register_client = {registerClient, c};
    cb->interact_request = {interactRequest, c};
    cb->interact_done = {interactDone, c};
    cb->save_yourself_request = {saveYourselfRequest, c};
    cb->save_yourself_phase2_request = {phase2Request, c};
    cb->save_yourself_done = {saveYourselfDone, c};
    cb->close_connection = {closeConnection, c};
    cb->set_properties = {setProperties, c};
    cb->delete_properties = {deleteProperties, c};
    cb->get_properties = {getProperties, c};
    return 1;
}

void command(const std::string& line) {
    for (Client* c : clients) {
        if (!c->ice || !c->registered)
            continue;
        if (line == "checkpoint") {
            SmsSaveYourself(c->sms, SmSaveBoth, False, SmInteractStyleNone, False);
        } else if (line == "logout" || line == "shutdown") {
            c->shuttingDown = true;
            c->dieAfterSave = line == "logout";
            SmsSaveYourself(c->sms, SmSaveBoth, True, SmInteractStyleAny, False);
        } else if (line == "cancel") {
            c->shuttingDown = false;
            SmsShutdownCancelled(c->sms);
        } else if (line == "die") {
            SmsDie(c->sms);
        } else {
            std::printf("unknown command: %s\n", line.c_str());
            return;
        }
        IceFlush(c->ice);
    }
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    char error[256] = "";
    if (!SmsInitialize("kelvo-test", "1.0", newClient, nullptr, anyHost, sizeof error, error)) {
        std::fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    IceSetIOErrorHandler(ignoreIoError);
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    // Only the local transports: the tests have no business on the network.
    std::vector<IceListenObj> local;
    for (int i = 0; i < count; ++i) {
        char* id = IceGetListenConnectionString(listeners[i]);
        if (std::strncmp(id, "tcp/", 4) != 0) {
            IceSetHostBasedAuthProc(listeners[i], anyHost);
            local.push_back(listeners[i]);
        }
        std::free(id);
    }
    char* address = IceComposeNetworkIdList(static_cast<int>(local.size()), local.data());
    std::printf("SESSION_MANAGER=%s\n", address);
    std::free(address);

    std::string input;
    for (;;) {
        std::vector<pollfd> fds{{0, POLLIN, 0}};
        for (IceListenObj l : local)
            fds.push_back({IceGetListenConnectionNumber(l), POLLIN, 0});
        for (Client* c : clients)
            fds.push_back({c->ice ? IceConnectionNumber(c->ice) : -1, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents) {
            char buf[256];
            const ssize_t n = read(0, buf, sizeof buf);
            if (n <= 0) {
                // Closing the listeners removes their sockets from /tmp/.ICE-unix.
                IceFreeListenObjs(count, listeners);
                return 0;
            }
            input.append(buf, static_cast<size_t>(n));
            for (size_t end; (end = input.find('\n')) != std::string::npos;) {
                command(input.substr(0, end));
                input.erase(0, end + 1);
            }
        }
        for (size_t i = 0; i < local.size(); ++i) {
            if (!fds[1 + i].revents)
                continue;
            IceAcceptStatus status;
            IceConn ice = IceAcceptConnection(local[i], &status);
            if (ice && status == IceAcceptSuccess)
                clients.push_back(new Client{ice});
        }
        const size_t first = 1 + local.size();
        for (size_t i = 0; first + i < fds.size(); ++i) {
            Client* c = clients[i];
            if (!fds[first + i].revents || !c->ice)
                continue;
            if (IceProcessMessages(c->ice, nullptr, nullptr) == IceProcessMessagesIOError &&
                c->ice) {
                std::printf("closed\n");
                if (c->sms)
                    SmsCleanUp(c->sms);
                IceSetShutdownNegotiation(c->ice, False);
                IceCloseConnection(c->ice);
                c->ice = nullptr;
            }
        }
    }
}
