#include "app/internet_available.h"

#include <QNetworkInterface>

#include "app/core/status_log.h"
#include "app/core/texts.h"

namespace mobrelle {

bool HasNetworkConnection() {
  for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
    const auto flags = i.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
        flags.testFlag(QNetworkInterface::IsLoopBack))
      continue;
    for (const QNetworkAddressEntry& a : i.addressEntries()) {
      const QHostAddress ip = a.ip();
      if (!ip.isNull() && !ip.isLoopback() && !ip.isLinkLocal()) return true;
    }
  }
  return false;
}

bool InternetAvailable(bool testInternet, StatusLog& log) {
  if (!testInternet) return true;
  log.ShowStatus(0, Txt(1006));
  return HasNetworkConnection();
}

}  // namespace mobrelle
