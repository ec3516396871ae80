#include "polling/pop3/sync_pop3_cli.h"

namespace mobrelle {

TSyncPop3Cli::TSyncPop3Cli(QObject* parent) : QObject(parent) {}

TSyncPop3Cli::~TSyncPop3Cli() { Abort(); }

void TSyncPop3Cli::Abort() { connected_ = false; }

}  // namespace mobrelle
