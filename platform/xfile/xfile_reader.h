// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole X file held in memory: the header, then template declarations and data
// objects in either format. Nothing half-read is kept on failure.
#pragma once

#include "platform/xfile/data_document.h"

#include <memory>
#include <string_view>

namespace xfile {

// Adds the templates a file declares to `templates`; a file holding data objects is refused.
// On failure `templates` is unchanged.
HRESULT ReadTemplateFile(std::string_view file, TemplateSet& templates);

// Parses a file against the registered templates (and those it declares itself).
HRESULT ReadDataFile(std::string_view file, const TemplateSet& registered, std::shared_ptr<const Document>& document);

} // namespace xfile
