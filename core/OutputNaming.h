#pragma once
// Output naming: where the converted file of one input goes in the output folder. The name is the input's base
// name with the extension of the output type (plus a page pattern when the output is one file per page), and the
// run-wide counter keeps a new output from landing on an existing file, behind the name or in front of it.
// No window here: the caller hands in how to test for an existing file, so this is tested without a disk.
#include "core/GhostscriptCommand.h"

#include <cstdint>
#include <functional>
#include <string>

// The run-wide counter shown in the main window's counter label. It only grows during a run and returns to 0 on
// a click on the label and at program start.
class ConversionCounter {
public:
    int32_t Value() const { return value_; }
    // Adds 1 and tells the label.
    void Advance();
    // Back to 0 (click on the label).
    void Reset();
    // Format("%.3d") of the value followed by one blank: "007 ", "1234 ".
    std::wstring LabelText() const;

    // Raised after every change with the new label text.
    std::function<void(const std::wstring& labelText)> OnChange;

private:
    int32_t value_ = 0;
};

// At least three digits with leading zeros: 7 -> "007", 1234 -> "1234".
std::wstring CounterDigits(int32_t value);

// ".pdf", ".ps", ".jpg" or ".tif" for an output type (GsOutputType, the item index of the format group).
std::wstring OutputExtension(int outputType);
// True for the image types that can write one file per page (JPEG and the TIFFs) when the page flag is on.
bool WritesPageFiles(int outputType, bool pageFlag);

// The usual extension change: the part of the name from its last "." (after the last "\" or ":") is replaced,
// or the new text is appended when the name has none.
std::wstring ChangeFileExt(const std::wstring& name, const std::wstring& extension);
// The part after the last "\" or ":".
std::wstring ExtractFileName(const std::wstring& path);
// The part from the last "." after the last "\" or ":"; empty when there is none.
std::wstring ExtractFileExt(const std::wstring& path);

struct OutputNameRequest {
    std::wstring caption;          // the item's file name as listed in the input pane (before any "%" rename)
    std::wstring currentInputFile; // full input path after the pass's "%" rename
    std::wstring outDir;           // the output folder with exactly one trailing backslash
    int outputType = GsOutputPdf;
    bool pageFlag = false;       // one file per page (image types only)
    bool counterInFront = false; // the counter goes in front of the name
    bool itemSelected = false;   // the item is selected in the input pane at this moment
};

struct OutputName {
    std::wstring currentOutputName; // the chosen name without folder (may hold the page pattern "%03d")
    std::wstring outputPath;        // the output folder + (front counter) + name, as it will be on disk
    // " -sOutputFile=" + a double quote + outputPath with every "%" doubled except the page pattern's, so that
    // Ghostscript takes a "%" in a folder or file name literally. The closing quote comes with the input.
    std::wstring gsOutputSwitch;
};

using FileExistsFunction = std::function<bool(const std::wstring& path)>;

// Chooses the output of one input and advances the counter as needed. An existing file is never chosen: when the
// name with the counter is taken too, the counter advances until the name is free (for page files the first
// page's name is tested).
OutputName ChooseOutputName(const OutputNameRequest& request, ConversionCounter& counter,
                            const FileExistsFunction& exists);
