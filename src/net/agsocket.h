#pragma once
// TagSocket: one TCP connection to a named server, with the exchanges that
// text protocols need (send a line, read a reply line, read a dot-terminated
// data block, read until the peer closes, send a block), each bounded by a
// time-out and ended at once by a user cancel.
//
// The program has one thread. A TagSocket never blocks: every wait sleeps in
// the Qt event loop (so windows stay live and a Cancel given meanwhile takes
// effect inside the wait) until the awaited notification, the one-second tick
// of the time-out counter or a cancel arrives. The socket's notifications only
// record state flags; the operations read those flags after their wait.
//
// Calling order for one connection: ResetState, Open, Connect, then any
// number of SendLine / ReadLine / ReadData / ReadToEnd / SendStream, then
// Close. Cancel may come at any time, also from a handler running inside one
// of the component's own waits. After any error the component is usable
// again: Close (harmless without a socket), then ResetState and Open.

#include "net/input_buffer.h"
#include "net/timecounter.h"
#include "net/tls_trust.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QPointer>
#include <QSslSocket>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tw {

class TagRas;

// Event types shared by every component of the internet library. Sender is
// the component that fires the event.
using TNotifyEvent = std::function<void(QObject *Sender)>;
// Perc: percentage done, or -1 when the total is unknown; Transferred: bytes so far.
using TmsProgressEvent = std::function<void(QObject *Sender, int Perc, int Transferred)>;
// Msg may be changed by the handler; the raised error then carries the new text.
using TmsErrorEvent = std::function<void(QObject *Sender, std::string &Msg)>;

// What one data block may hold and how long it may take in all.
struct TDataBlockLimits {
    long long MaxBytes = 256LL << 20;
    int MaxSeconds = 0; // 0: only the time-out between received chunks
    // Beyond this many bytes a block is still read to its end, but the rest
    // of it is dropped as it arrives; -1 keeps the whole block.
    long long MaxKeptBytes = -1;
};

class TagSocket : public QObject {
    Q_OBJECT
public:
    explicit TagSocket(QObject *parent = nullptr);
    ~TagSocket() override;

    // --- Properties ---------------------------------------------------------
    // Host name, dotted IPv4 address or IPv6 address, optionally followed by
    // ":" and a port ("mail.example.org:995", "[::1]:110"; a bare IPv6
    // address such as "::1" has no port part).
    std::string Server;
    uint16_t DefaultPort = 0;    // used when the service lookup gives no port
    std::string ServiceName;     // looked up in the services database when Server names no port
    TagRas *RAS = nullptr;       // dial-up link brought up by Open and hung up by Close, or none

    int TimeOut() const { return m_counter.TimeOut; }
    void SetTimeOut(int seconds) { m_counter.TimeOut = seconds; }
    // A bound on a whole exchange, beyond the time-out between events: once
    // Seconds have passed from now, every wait (also one that finds its data
    // already there) ends with the time-out error. 0 removes the bound.
    void SetDeadline(int Seconds);

    // Whether the socket service binding is loaded; setting true loads it,
    // setting false unloads it for the whole process.
    bool WinsockLoaded() const;
    void SetWinsockLoaded(bool loaded);

    // --- Events (fired only when assigned) --------------------------------
    TNotifyEvent OnOpen, OnClosing, OnClosed, OnCancel;
    TmsProgressEvent OnProgress;
    TmsErrorEvent OnError;

    // --- State ---------------------------------------------------------------
    bool IsConnected() const { return m_socket != nullptr; }
    const std::string &LastReply() const { return m_lastReply; }
    std::string RemoteAddress() const;   // the resolved address as text ("" before Open)
    uint16_t Port() const { return m_port; }
    bool Canceled() const { return m_canceled; }
    bool TimedOut() const { return m_counter.TimedOut(); }
    int ErrorCode() const { return m_errorCode; }

    // --- Operations -------------------------------------------------------
    // Clears Canceled, TimedOut, ErrorSeen and the notification flags, and
    // forgets a pending lookup. ErrorCode keeps its value.
    virtual void ResetState();
    // The reply code of Line: its first three characters as a decimal number,
    // or -1 when they are not one.
    virtual int ReplyCode(const std::string &Line);

    // Prepares a connection: dial-up, checks, host and port resolution,
    // socket creation. Does not connect. Raises ESocketError (57002 without
    // Server, 57005 without ServiceName or port, lookup failures, 57004),
    // ETimedOutError, ECanceledError, EWinsockDLLError.
    virtual void Open();
    // Connects the socket made by Open. A refused or unreachable connection
    // fails at once with ESocketError carrying the platform's text.
    // Raises ESocketError, ETimedOutError, ECanceledError.
    void Connect();
    // Sends Text + CR LF. Raises ESocketError (57008 when not connected),
    // ETimedOutError, ECanceledError (also when a cancel came since the last
    // operation).
    void SendLine(const std::string &Text);
    // Sends every line of Lines, each followed by CR LF, in one write: the
    // commands of a window reach the server together. Raises as SendLine.
    void SendLines(const std::vector<std::string> &Lines);
    // Receives one reply line into LastReply (without its line end) and
    // returns ReplyCode of it, or -1 (LastReply empty) when the peer closed
    // before a line was complete. Bytes after the line feed stay for the next
    // read, and a reply already received is returned without waiting. A line
    // longer than MaxReplyLine bytes closes the connection and raises
    // ESocketError (57030). The time-out runs once until the line starts and
    // once more for the whole line, so a line trickling in a byte at a time
    // still ends with the time-out. Also raises as SendLine does.
    int ReadLine();
    // Appends a data block up to and including its terminating dot line to
    // Stream, exactly as sent (dot-stuffing kept), reading straight into it.
    // ExpectedSize (or -1) drives the progress percentages. What follows the
    // dot line (the replies to later commands) stays for the next read. A
    // peer that closes before the block is complete raises ESocketError
    // (57031) instead of waiting for the time-out. Each received
    // chunk restarts the time-out; beyond that the block must keep within
    // Limits: past MaxBytes it closes and raises ESocketError (57032), past
    // MaxSeconds in all it ends with the time-out error. With MaxKeptBytes
    // only the block's first MaxKeptBytes bytes are appended (without the
    // dot line) and the rest is read and dropped; returns how many bytes
    // were dropped, 0 when the whole block was appended.
    long long ReadData(std::string &Stream, int ExpectedSize, const TDataBlockLimits &Limits = {});
    // Reads exactly Count bytes (a counted block such as an IMAP literal)
    // and appends them to Stream; what follows them stays for the next read.
    // Within Limits as ReadData: a Count above MaxBytes closes and raises
    // ESocketError (57032) before anything is read, past MaxSeconds in all
    // it ends with the time-out error, and with MaxKeptBytes only the first
    // MaxKeptBytes bytes are appended and the rest is read and dropped;
    // returns how many were dropped. A peer that closes first raises
    // ESocketError (57031). Progress events give the percentage of Count.
    long long ReadBytes(std::string &Stream, long long Count, const TDataBlockLimits &Limits = {});
    // Appends received bytes to Stream until the peer closes, or until Count
    // bytes have arrived when Count >= 0. Fires OnClosed when complete.
    void ReadToEnd(std::string &Stream, int Count);
    // Sends the whole of Stream; OnProgress reports it done, then 0 and 0.
    // A peer that has closed fails the send with 10054, which closes.
    void SendStream(const std::string &Stream);
    // For reads that find their data already received and so never wait:
    // handles the program's pending events (input, timers, a cancel) when
    // none were handled for ResponsiveMilliseconds, or at once with Always,
    // and raises ECanceledError when a cancel has come.
    void HandlePendingEvents(bool Always = false);
    static constexpr int ResponsiveMilliseconds = 20;
    // Closes the connection if there is one (OnClosing, OnClosed), then hangs
    // up the dial-up link if one is set. Never raises for a missing socket.
    virtual void Close();
    // Ends the running operation: sets Canceled, fires OnCancel, aborts a
    // pending lookup and closes. The interrupted wait raises ECanceledError.
    virtual void Cancel();
    // The error funnel: fires OnError with the text for Code (the program's
    // text, the platform's text for socket errors, else "Error #Code"),
    // closes on 10054, and raises ESocketError. Returns only when Code is 0.
    void ReportError(int Code);

    static constexpr int MaxReplyLine = 65536;
    // The most bytes the connection holds in memory that no read has asked
    // for yet (replies to commands sent ahead); beyond that the server's
    // sending waits in the network's own buffers.
    static constexpr qint64 MaxBufferedInput = 1 << 20;

    // The progress percentage of Position in Total, rounded to the nearest
    // integer with halves to even, and never beyond 0..100 (a block may
    // arrive larger than announced).
    static int ProgressPercent(long long Position, long long Total);

    // --- TLS (agsocket_tls.cpp) -----------------------------------------------
    // The certificate is verified against the system's trusted certificates
    // and the host name from Server, which is also sent to the server (SNI).

    // The SHA-256 fingerprint of the one certificate accepted although it
    // does not verify; "" for none. Blanks and colons are ignored.
    std::string TrustedFingerprint;
    // Asked when the certificate neither verifies nor is the trusted one;
    // true accepts it (TrustedFingerprint becomes its fingerprint). Unset:
    // the certificate is refused.
    TCertificateEvent OnCertificateUntrusted;
    // Seconds the handshake may take (never more than TimeOut).
    int HandshakeTimeOut = 10;

    // True while the connection is encrypted.
    bool IsEncrypted() const;
    // Turns the connected socket into a TLS connection and returns once it
    // is encrypted. Received bytes not yet read (sent in clear before the
    // handshake) end it at once with ESocketError UnexpectedDataText. A
    // server that does not complete the handshake in time, or breaks it off,
    // ends it with ESocketError NoAnswerText (the platform's detail added);
    // a refused certificate with ESocketError saying why. All three close
    // the connection; nothing has been sent through it. A cancel raises
    // ECanceledError.
    void StartTls(const std::string &NoAnswerText, const std::string &UnexpectedDataText);
    // Waits until the peer sends something or closes, at most Seconds (and
    // never more than TimeOut). False when nothing came in time; the
    // connection stays open for the caller to decide.
    bool WaitForIncoming(int Seconds);
    // What a failure of the program's own making is about.
    enum class TFailure {
        Socket,      // ESocketError
        Tls,         // ETlsError: the connection could not be secured
        Certificate, // ECertificateError: the server's certificate was not trusted
    };
    // The failure funnel for the program's own texts: fires OnError with
    // Text (the handler may change it), closes, raises the error of Kind.
    [[noreturn]] void Fail(const std::string &Text, TFailure Kind = TFailure::Socket);

protected:
    // Fires OnError with the time-out text, closes and raises ETimedOutError.
    [[noreturn]] void raiseTimedOut();
    // Fires OnError with the cancel text and raises ECanceledError.
    [[noreturn]] void raiseCanceled();
    // Raises ESocketError 57008 (through ReportError) when not connected;
    // ECanceledError instead when a cancel closed the connection.
    void requireConnected();
    void fireProgress(int perc, int transferred);
    void fire(const TNotifyEvent &event);

private:
    void resolveHost(const std::string &host);
    void resolvePort(const std::string &portText);
    void createSocket();
    void dropSocket();
    void abortLookup();
    // Bring up and end the dial-up link named by RAS (agsocket_ras.cpp).
    void dialRas();
    void hangUpRas();
    // Waits (sleeping in the event loop) until Done holds, or a cancel, a
    // time-out or a recorded error ends the wait.
    void waitFor(const std::function<bool()> &done);
    // A new full time-out after received data, when a wait is running.
    void restartCounterWhileWaiting();
    // The checks after a wait: a cancel wins over a time-out that fell due too.
    void raiseIfCanceledOrTimedOut();
    bool peerClosedAndDrained() const;
    // Whether received bytes wait to be read, in the input buffer or the socket.
    bool hasIncoming() const;
    // Moves what the socket holds into the input buffer; false when it held nothing.
    bool takeIncoming();
    void recordSocketError(QAbstractSocket::SocketError error);
    // Decides on a certificate that did not verify (agsocket_tls.cpp).
    bool acceptCertificate(TCertificateProblem &problem);
    // Raises the 10054 error (closing the connection) for a send that failed.
    void reportConnectionReset();
    // The end of a block read that did not complete: the time-out when it
    // took too long, the socket's error, or else 57031 (the peer closed).
    [[noreturn]] void failIncompleteBlock(bool TooSlow);

    TTimeCounter m_counter;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    QElapsedTimer m_sinceEvents; // since the program's events were last handled
    QSslSocket *m_socket = nullptr;
    QHostAddress m_address;
    std::string m_hostName; // the name asked for: the peer name a TLS connection will verify
    QHostInfo m_lookupResult;
    uint16_t m_port = 0;
    std::string m_lastReply;
    // Bytes received and not yet handed out: what followed the last reply read.
    TInputBuffer m_input;
    int m_lookupId = -1;
    int m_startups = 0;
    // The platform's text for the last socket error recorded, and its number.
    std::string m_platformErrorText;
    int m_platformErrorCode = 0;

    // Notification flags.
    bool m_encryptedSeen = false;
    bool m_certificateErrorsSeen = false;
    bool m_canceled = false;
    bool m_hostLookupDone = false;
    bool m_connectSeen = false;
    bool m_readSeen = false;
    bool m_closeSeen = false;
    bool m_errorSeen = false;
    int m_errorCode = 0;
};

} // namespace tw
