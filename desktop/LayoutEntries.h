// The entries of a layout text, parsed once and freed with their owner.
#pragma once

#include "base/PtrList.h"
#include "desktop/DesktopLayout.h"

class CLayoutEntries {
  public:
    explicit CLayoutEntries(const char* text) { CDesktopLayout::ParseLayout(text, &list); }
    ~CLayoutEntries() { FreeLayoutEntries(&list); }
    CLayoutEntries(const CLayoutEntries&) = delete;
    CLayoutEntries& operator=(const CLayoutEntries&) = delete;

    // LayoutEntry records in text order.
    const CPtrList& List() const { return list; }

  private:
    CPtrList list;
};
