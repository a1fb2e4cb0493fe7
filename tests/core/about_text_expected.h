// The About page's description as it must appear, line by line. Shared by
// the core test of the text and the end-to-end test of the window.
#pragma once

#include <string>
#include <string_view>

namespace veskaro::testing_data {

// The description as it must appear, line by line: the spaces at both ends
// are counted because they decide where the memo wraps.
struct ExpectedLine {
  int number;
  int spacesBefore;
  std::string_view text;
  int spacesAfter;
};

inline constexpr ExpectedLine kAboutLines[] = {
    {1, 0, "Программа предназначена для измененя", 1},
    {2, 0, "внешнего вида папок в Windows XP. Она работает", 1},
    {3, 0, "и с более ранними версиями операционной", 1},
    {4, 0, "системы Windows, но в связи с присутствием там", 1},
    {5, 0, "встроенных возможностей по управлению", 1},
    {6, 0, "интерфейсом папки столь полезной не является.", 4},
    {7, 0, "", 88},
    {8, 0, "", 1},
    {9, 0, "", 1},
    {10, 0, "", 1},
    {11, 0, "", 1},
    {12, 0, "", 1},
    {13, 0, "", 41},
    {14, 0, "", 88},
    {15, 0, "Нажмите панель с надписью \"Выбрать / изменить", 1},
    {16, 0, "папку\", выберите папку, внешний вид которой вы", 1},
    {17, 0, "хотите изменить. После возвращения в", 1},
    {18, 0, "программу вам будут открыты возможности по её", 1},
    {19, 0, "изменению, обычно понятные интуитивно. После", 1},
    {20, 0, "определения параметров, нажмите \"Применить\".", 1},
    {21, 0, "Для сброса неприменённых параметров жмите", 1},
    {22, 0, "\"Сброс\". Для установки стандартных показателей", 1},
    {23, 0, "- \"Вернуть стандарт\".", 52},
    {24, 0, "", 0},
    {25, 0, "Если у вас всё же", 1},
    {26, 0, "возникли вопросы, пожелания, комментарии", 1},
    {27, 0, "относительно данной программы, свяжитесь со", 1},
    {28, 0, "мной по электронной почте, нажав \"Sent mail to", 1},
    {29, 0, "author\" в главном окне.", 48},
    {30, 0, "", 80},
    {31, 0, "Приятного пользования!", 46},
    {32, 70, "Tamberlo.", 0},
};

// The whole line, spaces included.
inline std::string FullLine(const ExpectedLine& line) {
  return std::string(static_cast<size_t>(line.spacesBefore), ' ') + std::string(line.text) +
         std::string(static_cast<size_t>(line.spacesAfter), ' ');
}

}  // namespace veskaro::testing_data
