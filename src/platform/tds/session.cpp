#include "platform/tds/session.h"

#include <algorithm>
#include <cstdlib>

#include "platform/mssql/convert.h"
#include "platform/mssql/messages.h"
#include "platform/tds/login7.h"
#include "platform/tds/prelogin.h"
#include "platform/text/ascii.h"

namespace court::tds {

namespace {

using access::Value;

constexpr std::size_t kDefaultPacket = 4096;

// The command codes of DONE tokens, by statement verb (other, SELECT,
// INSERT, UPDATE, DELETE).
constexpr std::uint16_t kCommands[] = {0, 0xC1, 0xC3, 0xC5, 0xC4};
constexpr std::size_t kMinPacket = 512;

access::Error LoginFailed(const std::string& user) {
  return mssql::Message(mssql::Msg::kLoginFailed, {user});
}

// The database a "Changed database context to 'X'." message names.
std::string ChangedDatabase(const std::string& text) {
  std::size_t first = text.find('\'');
  std::size_t last = text.rfind('\'');
  return first == std::string::npos || last <= first ? "" : text.substr(first + 1, last - first - 1);
}

// "master.dbo.sp_executesql" and "sp_executesql" name the same procedure.
std::string BareName(const std::string& name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

std::string TextParameter(const RpcCall& call, std::size_t index) {
  if (index >= call.parameters.size() || call.parameters[index].value.is_null()) return "";
  return call.parameters[index].value.ToText();
}

// The variable a call parameter binds to (lower case, without '@'): its own
// name, else the declared name at its position; empty when it has neither.
std::string VariableName(const RpcCall& call, std::size_t index, std::size_t first,
                         const std::vector<std::string>& names) {
  const std::string& given = call.parameters[index].name;
  const std::string name = !given.empty() ? given : index - first < names.size() ? names[index - first] : "";
  return name.empty() ? name : text::Lower(name.substr(name[0] == '@' ? 1 : 0));
}

// The prepared-statement handle a call passes first.
int HandleParameter(const RpcCall& call) {
  const std::string text = TextParameter(call, 0);
  return text.empty() ? 0 : static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

Session::Session(ServerContext& context, int fd, std::uint16_t spid, std::optional<access::Error> refusal)
    : context_(context), channel_(fd, context.stop_fd, spid), refusal_(std::move(refusal)) {
  channel_.set_io_timeout_ms(context.limits.io_timeout_ms);
}

void Session::Serve() {
  try {
    if (!LogIn()) return;
    engine_->state().SetInterruptCheck([this] {
      if (!cancelled_) cancelled_ = channel_.CancelRequested();
      return cancelled_;
    });
    Message message;
    for (;;) {
      Channel::Wait wait = channel_.Read(message, context_.limits.max_request);
      if (wait == Channel::Wait::kClosed || wait == Channel::Wait::kStopping) return;
      if (wait == Channel::Wait::kTooLarge) {
        Bytes out;
        TokenWriter w = Writer(out);
        w.Message(mssql::TooLarge("request", context_.limits.max_request));
        w.Done(kDone, kDoneError);
        Reply(out);
        continue;
      }
      Answer(message);
    }
  } catch (const ProtocolError& e) {
    context_.Log(std::string("connection from ") + channel_.peer() + " closed: " + e.what());
  } catch (const std::exception& e) {
    context_.Log(std::string("connection from ") + channel_.peer() + " closed after a server fault: " + e.what());
  }
}

bool Session::LogIn() {
  Message message;
  std::uint8_t agreed = kEncryptNotSupported;  // a client without pre-login cannot encrypt
  if (!ReadLogin(message, agreed)) return false;
  if (context_.require_encryption && !channel_.encrypted()) {
    context_.Log(std::string("refused a client from ") + channel_.peer() + " that does not encrypt");
    return false;
  }
  if (message.type != kLogin7) throw ProtocolError("the client sent no TDS 7 login");
  const Login7 login = ParseLogin7(message.payload);
  if (agreed == kEncryptOff) channel_.StopTls();
  version_ = AgreedVersion(login.tds_version);
  if (version_ == 0) throw ProtocolError("the client asks for a TDS version other than 7.0 to 7.4");
  const std::size_t packet = login.packet_size == 0 ? kDefaultPacket : login.packet_size;
  channel_.set_packet_size(std::clamp(packet, kMinPacket, context_.limits.max_packet));
  user_ = login.user;
  if (refusal_) {
    Refuse({*refusal_});
    return false;
  }
  if (!OpenEngineSession(login)) return false;
  AcknowledgeLogin();
  return true;
}

bool Session::ReadLogin(Message& message, std::uint8_t& agreed) {
  const int wait = context_.limits.login_timeout_ms;
  if (channel_.Read(message, context_.limits.max_login_request, wait) != Channel::Wait::kMessage) return false;
  if (message.type != kPrelogin) return true;
  agreed = AgreedEncryption(ParsePrelogin(message.payload).encryption, context_.require_encryption);
  channel_.Send(kReply, PreloginReply(agreed));
  if (channel_.Read(message, context_.limits.max_login_request, wait) != Channel::Wait::kMessage) return false;
  // A TLS handshake follows, unless a client that could have encrypted its
  // login sends it in the clear.
  if (message.type == kPrelogin && agreed != kEncryptNotSupported) {
    channel_.StartTls(context_.tls, std::move(message.payload));
    if (channel_.Read(message, context_.limits.max_login_request, wait) != Channel::Wait::kMessage) return false;
  }
  return true;
}

bool Session::OpenEngineSession(const Login7& login) {
  std::optional<mssql::Principal> principal;
  if (!login.integrated_security)
    principal = context_.authenticator.Check({login.user, login.password, channel_.peer()});
  if (!principal) {
    context_.Log(std::string("login failed for '") + login.user + "' from " + channel_.peer());
    Refuse({LoginFailed(login.user)});
    return false;
  }
  const std::string database = login.database.empty() ? principal->default_database : login.database;
  try {
    engine_ = std::make_unique<mssql::EmbeddedSession>(context_.engine, database, std::move(principal));
  } catch (const access::Error& e) {
    Refuse({e, LoginFailed(login.user)});
    return false;
  }
  database_ = engine_->state().database();
  return true;
}

// The server's answer to an accepted login: the database and language it
// starts in, the collation, the acknowledgement and the packet size.
void Session::AcknowledgeLogin() {
  Bytes out;
  TokenWriter w = Writer(out);
  w.Environment(kEnvDatabase, database_, "master");
  w.Message(mssql::WithSeverity(mssql::Message(mssql::Msg::kChangedDatabase, {database_}), 0));
  w.CollationChange();
  w.Environment(kEnvLanguage, "us_english", "");
  w.Message(mssql::Message(mssql::Msg::kChangedLanguage, {"us_english"}));
  w.LoginAck();
  w.Environment(kEnvPacketSize, std::to_string(channel_.packet_size()), std::to_string(kDefaultPacket));
  w.Done(kDone, kDoneFinal);
  Reply(out);
}

void Session::Refuse(const std::vector<access::Error>& errors) {
  Bytes out;
  TokenWriter w = Writer(out);
  for (const access::Error& e : errors) w.Message(e);
  w.Done(kDone, kDoneError);
  Reply(out);
}

void Session::Answer(const Message& message) {
  cancelled_ = false;
  switch (message.type) {
    case kSqlBatch: RunBatch(message); return;
    case kRpc: RunCalls(message); return;
    case kTransaction: RunTransactionRequest(message); return;
    case kAttention: {
      // The request it cancels has already been answered in full.
      Bytes out;
      Writer(out).Done(kDone, kDoneAttention);
      Reply(out);
      return;
    }
    default: throw ProtocolError("unexpected message type " + std::to_string(message.type));
  }
}

void Session::RunBatch(const Message& message) {
  const std::size_t start = RequestStart(message.payload);
  const std::string sql = Utf16ToUtf8(message.payload.data() + start, message.payload.size() - start);
  Bytes out;
  TokenWriter w = Writer(out);
  if (!Execute(sql, {}, w, kDone, true)) return Acknowledge(out);
  Reply(out);
}

void Session::Acknowledge(Bytes& out) {
  // The cancelled request's reply ends with nothing in it; the
  // acknowledgement follows as a message of its own, where every client
  // looks for it (some read on in the reply they had begun, some wait for
  // the next).
  out.clear();
  Writer(out).Done(kDone, kDoneFinal);
  Reply(out);
  out.clear();
  Writer(out).Done(kDone, kDoneAttention);
  Reply(out);
}

bool Session::Execute(const std::string& sql, std::map<std::string, mssql::Variable> parameters, TokenWriter& out,
                      DoneToken done, bool final, std::map<std::string, mssql::Variable>* outputs) {
  mssql::BatchResult result = engine_->Run(sql, std::move(parameters), outputs);
  if (cancelled_) return false;
  WriteResult(result, out, done, final);
  return true;
}

void Session::WriteResult(const mssql::BatchResult& result, TokenWriter& out, DoneToken done, bool final) {
  std::size_t results = 0, messages = 0;
  // A statement's DONE is held back until it is known whether more follows.
  bool pending = false;
  std::uint16_t pending_status = 0, pending_command = 0;
  long long pending_rows = 0;
  auto flush = [&](bool more) {
    if (pending)
      out.Done(done, static_cast<std::uint16_t>(pending_status | (more ? kDoneMore : 0)), pending_rows,
               pending_command);
    pending = false;
  };
  auto emit = [&](std::size_t results_end, std::size_t messages_end) {
    bool error = false;
    for (; messages < messages_end; ++messages) {
      flush(true);
      const access::Error& m = result.messages[messages];
      if (m.number() == 5701) {
        std::string now = ChangedDatabase(m.description());
        out.Environment(kEnvDatabase, now, database_);
        database_ = now;
      }
      // SQL Server sends the change of database with class 0, below its catalogued 10.
      out.Message(m.number() == 5701 ? mssql::WithSeverity(m, 0) : m);
      error = error || m.severity() > 10;
    }
    for (; results < results_end; ++results) {
      flush(true);
      static const std::vector<std::optional<mssql::SqlType>> kUnknown;
      out.Results(result.results[results],
                  results < result.column_types.size() ? result.column_types[results] : kUnknown);
    }
    return error;
  };
  auto hold = [&](std::uint16_t status, long long rows, std::uint16_t command) {
    flush(true);
    pending = true;
    pending_status = status;
    pending_rows = rows;
    pending_command = command;
  };
  for (const mssql::BatchResult::StatementEnd& end : result.statements) {
    const bool error = emit(end.results, end.messages);
    if (end.rows >= 0 || error)
      hold(static_cast<std::uint16_t>((end.rows >= 0 ? kDoneCount : 0) | (error ? kDoneError : 0)),
           end.rows >= 0 ? end.rows : 0, kCommands[end.verb]);
  }
  if (emit(result.results.size(), result.messages.size())) hold(kDoneError, 0, 0);
  if (!pending) hold(kDoneFinal, 0, 0);
  flush(!final);
}

void Session::RunCalls(const Message& message) {
  const std::vector<RpcCall> calls =
      ParseRpc(message.payload, RequestStart(message.payload), version_ >= 0x71000000, code_page_);
  Bytes out;
  TokenWriter w = Writer(out);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    RunCall(calls[i], w, i + 1 == calls.size());
    if (cancelled_) return Acknowledge(out);
  }
  Reply(out);
}

std::map<std::string, mssql::Variable> Session::Bind(const RpcCall& call, std::size_t first,
                                                     const std::vector<std::string>& names) {
  std::map<std::string, mssql::Variable> variables;
  for (std::size_t i = first; i < call.parameters.size(); ++i) {
    const std::string name = VariableName(call, i, first, names);
    if (name.empty()) continue;
    const RpcParameter& p = call.parameters[i];
    mssql::SqlType type = SqlTypeOf(p.type);
    variables[name] = mssql::Variable{type, mssql::ToStorage(p.value, type, engine_->state().date_order)};
  }
  return variables;
}

void Session::ExecuteCall(const std::string& sql, const RpcCall& call, std::size_t first,
                          const std::vector<std::string>& names, TokenWriter& out,
                          std::vector<std::pair<std::size_t, Value>>& returned) {
  std::map<std::string, mssql::Variable> left;
  if (!Execute(sql, Bind(call, first, names), out, kDoneInProc, false, &left)) return;
  for (std::size_t i = first; i < call.parameters.size(); ++i) {
    if (!call.parameters[i].output) continue;
    auto found = left.find(VariableName(call, i, first, names));
    if (found != left.end()) returned.emplace_back(i, mssql::FromStorage(found->second.value, found->second.type));
  }
}

void Session::RunCall(const RpcCall& call, TokenWriter& out, bool last) {
  const std::string procedure = BareName(call.procedure);
  std::vector<std::pair<std::size_t, Value>> outputs;  // parameter index, value returned
  std::int32_t status = 0;
  try {
    if (procedure == "sp_executesql") {
      ExecuteCall(TextParameter(call, 0), call, 2, DeclaredNames(TextParameter(call, 1)), out, outputs);
    } else if (procedure == "sp_prepare" || procedure == "sp_prepexec") {
      const int handle = next_handle_++;
      prepared_[handle] = {TextParameter(call, 2), DeclaredNames(TextParameter(call, 1))};
      outputs.emplace_back(0, Value::Integer(handle));
      if (procedure == "sp_prepexec")
        ExecuteCall(prepared_[handle].sql, call, 3, prepared_[handle].names, out, outputs);
    } else if (procedure == "sp_execute") {
      const int handle = HandleParameter(call);
      auto found = prepared_.find(handle);
      if (found == prepared_.end())
        throw mssql::Message(mssql::Msg::kNoPreparedStatement, {std::to_string(handle)});
      ExecuteCall(found->second.sql, call, 1, found->second.names, out, outputs);
    } else if (procedure == "sp_unprepare") {
      prepared_.erase(HandleParameter(call));
    } else {
      // Any other procedure runs as EXEC with its parameters bound.
      std::string sql = "EXEC " + call.procedure;
      std::vector<std::string> names;
      for (std::size_t i = 0; i < call.parameters.size(); ++i) {
        const std::string& given = call.parameters[i].name;
        const std::string variable = given.empty() ? "@p" + std::to_string(i + 1) : given;
        names.push_back(variable);
        sql += (i ? ", " : " ") + (given.empty() ? variable : given + " = " + variable);
      }
      Execute(sql, Bind(call, 0, names), out, kDoneInProc, false);
    }
  } catch (const access::Error& e) {
    out.Message(e);
    out.Done(kDoneInProc, kDoneError | kDoneMore);
    status = e.number() == 8179 ? -6 : -4;
  }
  if (cancelled_) return;
  out.ReturnStatus(status);
  for (const RpcParameter& p : call.parameters) {
    if (!p.output) continue;
    const std::size_t index = static_cast<std::size_t>(&p - call.parameters.data());
    Value value = p.value;
    for (const auto& [at, returned] : outputs)
      if (at == index) value = returned;
    out.ReturnValue(static_cast<std::uint16_t>(index), p.name, p.type, value);
  }
  out.Done(kDoneProc, static_cast<std::uint16_t>(last ? kDoneFinal : kDoneMore));
}

void Session::RunTransactionRequest(const Message& message) {
  Reader in(message.payload);
  in.Seek(RequestStart(message.payload));
  const std::uint16_t request = in.U16();
  const char* sql = request == 5 ? "BEGIN TRANSACTION" : request == 7 ? "COMMIT TRANSACTION"
                    : request == 8 ? "ROLLBACK TRANSACTION" : nullptr;
  Bytes out;
  TokenWriter w = Writer(out);
  if (sql == nullptr) {
    w.Message(mssql::Message(mssql::Msg::kTransactionRequest, {std::to_string(request)}));
    w.Done(kDone, kDoneError);
  } else {
    Execute(sql, {}, w, kDone, true);
  }
  Reply(out);
}

}  // namespace court::tds
