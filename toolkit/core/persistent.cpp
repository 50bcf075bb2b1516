#include "toolkit/core/persistent.h"

#include "toolkit/core/convert_error.h"

void TPersistent::Assign(const TPersistent& Source) {
  if (!Source.AssignTo(*this)) AssignError(Source);
}

bool TPersistent::AssignTo(TPersistent&) const { return false; }

void TPersistent::AssignError(const TPersistent& Source) const {
  throw EConvertError(
      QStringLiteral("Cannot assign a %1 to a %2").arg(Source.ClassName(), ClassName()).toStdString());
}
