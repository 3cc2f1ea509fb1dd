// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing one template declaration, in either format, into a template set.
#pragma once

#include "platform/xfile/template_set.h"
#include "platform/xfile/token_stream.h"

namespace xfile {

// Reads "Name { <guid> members [restriction] }" after the `template` keyword and adds the
// template to `templates`. Member types must be primitives or templates already in the set.
HRESULT ParseTemplateDeclaration(TokenStream& tokens, TemplateSet& templates);

} // namespace xfile
