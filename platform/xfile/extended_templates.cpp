// SPDX-License-Identifier: GPL-3.0-or-later
// The extended templates, one small declaration each, added by name where missing.
#include "platform/xfile/extended_templates.h"

#include "platform/xfile/dxfile.h"
#include "platform/xfile/template_parser.h"
#include "platform/xfile/text_tokenizer.h"

#include <algorithm>

namespace xfile {

namespace {

struct ExtendedTemplate {
    const char* name;
    const char* declaration;
};

// In dependency order: a template that uses another comes after it. Matrices are spelled as 16
// floats so that the block does not depend on the retained-mode templates being registered.
constexpr ExtendedTemplate kExtended[] = {
    {"XSkinMeshHeader", "XSkinMeshHeader { <3CF169CE-FF7C-44ab-93C0-F78F62D172E2>"
                        " WORD nMaxSkinWeightsPerVertex; WORD nMaxSkinWeightsPerFace; WORD nBones; }"},
    {"VertexDuplicationIndices", "VertexDuplicationIndices { <B8D65549-D7C9-4995-89CF-53A9A8B031E3>"
                                 " DWORD nIndices; DWORD nOriginalVertices; array DWORD indices[nIndices]; }"},
    {"FaceAdjacency", "FaceAdjacency { <A64C844A-E282-4756-8B80-250CDE04398C>"
                      " DWORD nIndices; array DWORD indices[nIndices]; }"},
    {"SkinWeights", "SkinWeights { <6F0D123B-BAD2-4167-A0D0-80224F25FABB>"
                    " STRING transformNodeName; DWORD nWeights; array DWORD vertexIndices[nWeights];"
                    " array FLOAT weights[nWeights]; array FLOAT matrixOffset[16]; }"},
    {"VertexElement", "VertexElement { <F752461C-1E23-48f6-B9F8-8350850F336F>"
                      " DWORD Type; DWORD Method; DWORD Usage; DWORD UsageIndex; }"},
    {"DeclData", "DeclData { <BF22E553-292C-4781-9FEA-62BD554BDD93>"
                 " DWORD nElements; array VertexElement Elements[nElements]; DWORD nDWords;"
                 " array DWORD data[nDWords]; }"},
    {"FVFData", "FVFData { <B6E70A0E-8EF9-4e83-94AD-ECC8B0C04897>"
                " DWORD dwFVF; DWORD nDWords; array DWORD data[nDWords]; }"},
    {"EffectFloats", "EffectFloats { <F1CFE2B3-0DE3-4e28-AFA1-155A750A282D>"
                     " DWORD nFloats; array FLOAT Floats[nFloats]; }"},
    {"EffectString", "EffectString { <D55B097E-BDB6-4c52-B03D-6051C89D0E42> STRING Value; }"},
    {"EffectDWord", "EffectDWord { <622C0ED0-956E-4da9-908A-2AF94F3CE716> DWORD Value; }"},
    {"EffectParamFloats", "EffectParamFloats { <3014B9A0-62F5-478c-9B86-E4AC9F4E418B>"
                          " STRING ParamName; DWORD nFloats; array FLOAT Floats[nFloats]; }"},
    {"EffectParamString", "EffectParamString { <1DBC4C88-94C1-46ee-9076-2C28818C9481>"
                          " STRING ParamName; STRING Value; }"},
    {"EffectParamDWord", "EffectParamDWord { <E13963BC-AE51-4c5d-B00F-CFA3A9D97CE5>"
                         " STRING ParamName; DWORD Value; }"},
    {"EffectInstance", "EffectInstance { <E331F7E4-0559-4cc2-8E99-1CEC1657928F>"
                       " STRING EffectFilename; [...] }"},
    {"AnimTicksPerSecond", "AnimTicksPerSecond { <9E415A43-7BA6-4a73-8743-B73D47E88476>"
                           " DWORD AnimTicksPerSecond; }"},
    {"CompressedAnimationSet", "CompressedAnimationSet { <7F9B00B3-F125-4890-876E-1C42BF697C4D>"
                               " DWORD CompressedBlockSize; FLOAT TicksPerSec; DWORD PlaybackType;"
                               " DWORD BufferLength; array DWORD CompressedData[BufferLength]; }"},
};

// The declarations parsed once; each file's set gets copies.
const TemplateSet& ParsedExtendedTemplates()
{
    static const TemplateSet parsed = [] {
        TemplateSet set;
        for (const ExtendedTemplate& entry : kExtended) {
            // The declaration after its `template` keyword, as the declaration parser expects it.
            TextTokenizer tokenizer(entry.declaration);
            TokenStream tokens(tokenizer);
            ParseTemplateDeclaration(tokens, set);
        }
        return set;
    }();
    return parsed;
}

} // namespace

HRESULT AddExtendedTemplates(TemplateSet& templates)
{
    const TemplateSet& extended = ParsedExtendedTemplates();
    for (std::uint32_t i = 0; i < extended.Count(); ++i) {
        const TemplateDef& definition = extended.At(i);
        if (templates.Find(definition.name)) {
            continue;
        }
        // Member types are found by name in the target set, which may hold its own version of them.
        TemplateDef copy = definition;
        copy.depth = 1;
        for (MemberDef& member : copy.members) {
            if (member.primitive != PrimitiveType::None) {
                continue;
            }
            const auto index = templates.Find(extended.At(member.templateIndex).name);
            if (!index) {
                return DXFILEERR_NOTEMPLATE;
            }
            member.templateIndex = *index;
            copy.depth = std::max(copy.depth, templates.At(*index).depth + 1);
        }
        const HRESULT hr = templates.Add(std::move(copy));
        if (FAILED(hr)) {
            return hr;
        }
    }
    return DXFILE_OK;
}

} // namespace xfile
