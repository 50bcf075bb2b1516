#pragma once

// TPersistent: the base of objects that can be copied into one another with
// Assign. An object is copied only by a class that knows the source's type;
// when none does, Assign fails with EConvertError "Cannot assign a <source
// class> to a <target class>" and the target is left unchanged.
//
// Persistent objects have an identity (holders bind notifications to them),
// so they are neither copied nor moved by C++ means: Assign is the copy.

#include <QString>

class TPersistent {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  virtual ~TPersistent() = default;

  // Copies Source into this object. A class overrides it for the sources it
  // knows and hands every other source to its base; the base of all asks
  // Source's AssignTo, then fails.
  virtual void Assign(const TPersistent& Source);

  // The class name used in messages ("TFont", "TcgColumn", ...).
  virtual QString ClassName() const { return QStringLiteral("TPersistent"); }

 protected:
  // Lets a source copy itself into a target class that does not know it.
  // Returns false when it cannot (the default).
  virtual bool AssignTo(TPersistent& Dest) const;
  // Raises the assignment error for Source assigned to this object.
  [[noreturn]] void AssignError(const TPersistent& Source) const;
};
