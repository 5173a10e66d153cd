// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace report {

class Gradebook;
class QuestionIndex;

// One self-contained page: the run table, the problems, a calibration grid for the class and
// for each student, the minutes per question, and per student what was typed and rated at
// each question. No scripts and nothing loaded from elsewhere; pictures are inline SVG.
namespace htmlreport {

QString page(const Gradebook &book, const QuestionIndex &index);

QString escaped(QStringView text);

} // namespace htmlreport

} // namespace report
