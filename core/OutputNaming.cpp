#include "core/OutputNaming.h"

#include <cstdio>
#include <iterator>

namespace {

const std::wstring kPagePattern = L"%03d";

size_t NameStart(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? 0 : cut + 1;
}

size_t ExtensionStart(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < NameStart(path)) {
        return std::wstring::npos;
    }
    return dot;
}

// A page-file name is tested through its first page: Ghostscript writes "_001" where the pattern stands.
std::wstring FirstPageOf(const std::wstring& path, bool pageFiles, const std::wstring& extension) {
    if (!pageFiles) {
        return path;
    }
    return path.substr(0, path.size() - kPagePattern.size() - extension.size()) + L"001" + extension;
}

std::wstring DoublePercent(const std::wstring& text) {
    std::wstring result;
    for (wchar_t c : text) {
        result += c;
        if (c == L'%') {
            result += L'%';
        }
    }
    return result;
}

// The name of the collision column for the current counter value.
std::wstring CollisionName(const std::wstring& base, int outputType, bool pageFiles, bool counterInFront,
                           int32_t counter, const std::wstring& extension) {
    if (pageFiles) {
        return ChangeFileExt(base, L"_" + std::to_wstring(counter) + L"_" + kPagePattern + extension);
    }
    if (outputType == GsOutputPdf && counterInFront) {
        return ChangeFileExt(base, extension);
    }
    return ChangeFileExt(base, L"_" + CounterDigits(counter) + extension);
}

} // namespace

void ConversionCounter::Advance() {
    // Wraps instead of overflowing; a run never gets near it.
    value_ = static_cast<int32_t>(static_cast<uint32_t>(value_) + 1u);
    if (OnChange) {
        OnChange(LabelText());
    }
}

void ConversionCounter::Reset() {
    value_ = 0;
    if (OnChange) {
        OnChange(LabelText());
    }
}

std::wstring ConversionCounter::LabelText() const {
    return CounterDigits(value_) + L" ";
}

std::wstring CounterDigits(int32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, std::size(buffer), L"%.3d", static_cast<int>(value));
    return buffer;
}

std::wstring OutputExtension(int outputType) {
    switch (outputType) {
    case GsOutputPostScript:
        return L".ps";
    case GsOutputJpeg:
        return L".jpg";
    case GsOutputTiffG4:
    case GsOutputTiffLzw:
    case GsOutputTiff24:
        return L".tif";
    default:
        return L".pdf";
    }
}

bool WritesPageFiles(int outputType, bool pageFlag) {
    return pageFlag && outputType != GsOutputPdf && outputType != GsOutputPostScript;
}

std::wstring ChangeFileExt(const std::wstring& name, const std::wstring& extension) {
    size_t dot = ExtensionStart(name);
    return (dot == std::wstring::npos ? name : name.substr(0, dot)) + extension;
}

std::wstring ExtractFileName(const std::wstring& path) {
    return path.substr(NameStart(path));
}

std::wstring ExtractFileExt(const std::wstring& path) {
    size_t dot = ExtensionStart(path);
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

OutputName ChooseOutputName(const OutputNameRequest& request, ConversionCounter& counter,
                            const FileExistsFunction& exists) {
    const std::wstring extension = OutputExtension(request.outputType);
    const bool pageFiles = WritesPageFiles(request.outputType, request.pageFlag);
    const bool counterInFront = request.counterInFront;
    auto taken = [&](const std::wstring& path) { return exists(FirstPageOf(path, pageFiles, extension)); };

    // The probe is formed from the caption as listed, before the "%" rename.
    const std::wstring probe =
        request.outDir + ChangeFileExt(request.caption, pageFiles ? L"_001" + extension : extension);
    if (counterInFront && request.itemSelected && (request.outputType == GsOutputPostScript || pageFiles)) {
        counter.Advance();
    }

    const std::wstring base = ExtractFileName(request.currentInputFile);
    std::wstring name = ChangeFileExt(base, pageFiles ? L"_" + kPagePattern + extension : extension);
    // The probe may miss the plain name when the rename changed it ("%" became "!"): test that name as well.
    if (exists(probe) || taken(request.outDir + name)) {
        counter.Advance();
        name = CollisionName(base, request.outputType, pageFiles, counterInFront, counter.Value(), extension);
        while (!counterInFront && taken(request.outDir + name)) {
            counter.Advance();
            name = CollisionName(base, request.outputType, pageFiles, counterInFront, counter.Value(), extension);
        }
    }

    OutputName result;
    result.currentOutputName = name;
    if (counterInFront) {
        while (taken(request.outDir + CounterDigits(counter.Value()) + L"_" + name)) {
            counter.Advance();
        }
        result.outputPath = request.outDir + CounterDigits(counter.Value()) + L"_" + name;
    } else {
        result.outputPath = request.outDir + name;
    }

    const size_t patternLength = pageFiles ? kPagePattern.size() + extension.size() : 0;
    const std::wstring literal = result.outputPath.substr(0, result.outputPath.size() - patternLength);
    result.gsOutputSwitch = L" -sOutputFile=\"" + DoublePercent(literal) +
                            result.outputPath.substr(result.outputPath.size() - patternLength);
    return result;
}
