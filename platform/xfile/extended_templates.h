// SPDX-License-Identifier: GPL-3.0-or-later
// The templates that today's exporters write beside the retained-mode ones: skinning, vertex
// duplication, declared vertex data, effect instances and animation ticks. Every file is read with
// them, so a file using them loads without declaring them.
#pragma once

#include "platform/xfile/template_set.h"

namespace xfile {

// Adds each extended template whose name the set does not know yet, so that registered and declared
// templates keep the upper hand.
HRESULT AddExtendedTemplates(TemplateSet& templates);

} // namespace xfile
