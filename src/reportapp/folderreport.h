// SPDX-License-Identifier: MIT
#pragma once

// For instructors without a terminal: asks for a folder or a course site's .zip, writes the
// report page and opens it in the browser. The exit status is that of the report.
namespace reportapp {

int chooseFolderAndReport();

// Whether a folder dialog can be shown: without a display Qt's platform plugin would end the
// program before it could say why.
bool hasDisplay();

} // namespace reportapp
