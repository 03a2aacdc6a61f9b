#pragma once
// The one saved window rectangle of the program ("LUMO Audio"/"Settings":
// "Left", "Top", "Height", "Width", in twips): the selection dialog and the
// playlist check window save to it and restore from it, so each opens where
// the other was last closed.

#include <optional>
#include <string_view>

namespace lumo::common {

// A top-level window as the saved rectangle sees it: its outer edges and size
// in twips. Move may raise (a size the window system cannot take).
class FormWindow {
public:
    virtual ~FormWindow() = default;
    virtual double Left() const = 0;
    virtual double Top() const = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void Move(double left, double top, double width, double height) = 0;
};

// Writes the four values; a value that cannot be written is skipped.
void SaveFormSettings(const FormWindow& window);

// Moves the window to the saved rectangle when all four values are numbers
// and none is negative; otherwise it stays as it is. There is no test
// against the screens: a rectangle off every screen is applied as saved. A
// move that fails puts the window back where it was.
void RestoreFormSettings(FormWindow& window);

// One stored value of the rectangle as RestoreFormSettings takes it: a
// number that is not negative, else nothing.
std::optional<double> savedCoordinateOf(std::string_view stored);

}  // namespace lumo::common
