// One client connection, from pre-login to its end: logs in, then answers
// SQL batches, procedure calls, transaction requests and attentions in
// turn on its own session of the engine.

#ifndef COURT_PLATFORM_TDS_SESSION_H_
#define COURT_PLATFORM_TDS_SESSION_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/mssql/embedded_driver.h"
#include "platform/tds/code_page.h"
#include "platform/tds/context.h"
#include "platform/tds/login7.h"
#include "platform/tds/packet.h"
#include "platform/tds/rpc.h"
#include "platform/tds/tokens.h"

namespace court::tds {

class Session {
 public:
  // Takes ownership of the socket. refusal: a message to answer the login
  // with instead of admitting the client (too many connections).
  Session(ServerContext& context, int fd, std::uint16_t spid,
          std::optional<access::Error> refusal = std::nullopt);

  // Serves the client until it leaves, breaks the protocol or the server
  // stops; never throws.
  void Serve();

 private:
  struct Prepared {
    std::string sql;
    std::vector<std::string> names;  // declared parameter names, in order
  };

  bool LogIn();
  // Reads the client's login, after the pre-login exchange and TLS
  // handshake when there are any; false when the client did not send it in time.
  bool ReadLogin(Message& message, std::uint8_t& agreed_encryption);
  // Checks the login and opens its engine session; false when refused.
  bool OpenEngineSession(const Login7& login);
  void AcknowledgeLogin();
  void Answer(const Message& message);
  void RunBatch(const Message& message);
  void RunCalls(const Message& message);
  void RunTransactionRequest(const Message& message);
  // Runs one procedure call; last: no call follows in the request.
  void RunCall(const RpcCall& call, TokenWriter& out, bool last);
  // Runs SQL with parameters and writes what it produced; false when the
  // client cancelled it. outputs: see EmbeddedSession::Run.
  bool Execute(const std::string& sql, std::map<std::string, mssql::Variable> parameters, TokenWriter& out,
               DoneToken done, bool final, std::map<std::string, mssql::Variable>* outputs = nullptr);
  // Runs SQL with the call's parameters (from index `first`) bound, and
  // records the values its output parameters end with.
  void ExecuteCall(const std::string& sql, const RpcCall& call, std::size_t first,
                   const std::vector<std::string>& names, TokenWriter& out,
                   std::vector<std::pair<std::size_t, access::Value>>& returned);
  // Binds call parameters (from index `first`) to variables by name, or by
  // the declared names in order when passed by position.
  std::map<std::string, mssql::Variable> Bind(const RpcCall& call, std::size_t first,
                                              const std::vector<std::string>& names);
  void WriteResult(const mssql::BatchResult& result, TokenWriter& out, DoneToken done, bool final);
  void Reply(const Bytes& payload) { channel_.Send(kReply, payload); }
  // Answers a request the client cancelled.
  void Acknowledge(Bytes& out);
  // Answers the login with errors; the connection then ends.
  void Refuse(const std::vector<access::Error>& errors);
  TokenWriter Writer(Bytes& out) { return TokenWriter(out, version_, code_page_, context_.server_name); }

  ServerContext& context_;
  Channel channel_;
  std::optional<access::Error> refusal_;
  CodePage code_page_;
  std::uint32_t version_ = 0x71000001;
  std::string user_;
  std::unique_ptr<mssql::EmbeddedSession> engine_;
  std::string database_;  // as the client was last told
  bool cancelled_ = false;
  std::map<int, Prepared> prepared_;
  int next_handle_ = 1;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_SESSION_H_
