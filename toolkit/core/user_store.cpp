#include "toolkit/core/user_store.h"

#include <QCoreApplication>
#include <QSettings>

#include <limits>

namespace {

std::unique_ptr<QSettings> OpenStore() {
  const QString application = QCoreApplication::applicationName();
  QString organization = QCoreApplication::organizationName();
  if (organization.isEmpty()) organization = application;
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization, application);
}

QString GroupOf(const QString& key) {
  QStringList parts = QString(key).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
  parts.removeAll(QString());
  return parts.join(QLatin1Char('/'));
}

QString Escaped(const QString& name) {
  QString out;
  out.reserve(name.size());
  for (QChar c : name) {
    if (c == u'%')
      out += QLatin1String("%25");
    else if (c == u'/')
      out += QLatin1String("%2F");
    else if (c == u'\\')
      out += QLatin1String("%5C");
    else
      out += c;
  }
  return out;
}

QString Unescaped(const QString& name) {
  QString out = name;
  out.replace(QLatin1String("%2F"), QLatin1String("/"), Qt::CaseInsensitive);
  out.replace(QLatin1String("%5C"), QLatin1String("\\"), Qt::CaseInsensitive);
  out.replace(QLatin1String("%25"), QLatin1String("%"));
  return out;
}

}  // namespace

TUserStore::TUserStore() = default;

TUserStore::~TUserStore() { CloseKey(); }

QString TUserStore::FileName() { return OpenStore()->fileName(); }

bool TUserStore::OpenKey(const QString& Key, bool CanCreate) {
  CloseKey();
  const QString group = GroupOf(Key);
  if (group.isEmpty()) return false;
  settings_ = OpenStore();
  settings_->beginGroup(group);
  // A key without values or sub-keys is not kept in the file: it exists
  // once something is written under it.
  if (!CanCreate && settings_->allKeys().isEmpty()) {
    settings_.reset();
    return false;
  }
  open_ = true;
  return true;
}

void TUserStore::CloseKey() {
  open_ = false;
  if (settings_) settings_->sync();
  settings_.reset();
}

QStringList TUserStore::GetValueNames() const {
  QStringList names;
  if (!open_) return names;
  for (const QString& key : settings_->childKeys()) names.append(Unescaped(key));
  return names;
}

void TUserStore::WriteInteger(const QString& Name, int Value) {
  if (!open_) throw EUserStoreError("No key is open in the user settings store");
  settings_->setValue(Escaped(Name), QString::number(Value));
}

int TUserStore::ReadInteger(const QString& Name) const {
  if (!open_) throw EUserStoreError("No key is open in the user settings store");
  const QVariant value = settings_->value(Escaped(Name));
  bool ok = false;
  const qlonglong n = value.typeId() == QMetaType::QString ? value.toString().trimmed().toLongLong(&ok, 10) : 0;
  if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
    throw EUserStoreError("The value \"" + Name.toStdString() + "\" in the user settings store is not an integer");
  return static_cast<int>(n);
}
