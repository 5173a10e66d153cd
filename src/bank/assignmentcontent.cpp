// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"

#include <iterator>

namespace bank {

namespace {

// One literal per store entry, in store order. A line break inside a literal is a line break
// of the entry (the loader turns it into CR LF), so an empty line inside a raw literal is a
// paragraph break; "{}" is the line-break code that the question box turns into a break.
// Each assignment is laid out as: head line, blank, then question / blank / answer / blank for
// every question; the closing organisation question has no worked answer, only its blank.
// Raw literals keep their lines at column 0 because any indentation would become text.
// Answer paragraphs must stay one line each inside their raw literals, far past the column
// limit; the formatter cannot break them and reshapes the whole declaration instead.
// clang-format off
constexpr const char16_t *entries[] = {
    // Assignment 001: areas
    u"001.  Areas",
    u"",
    // 001/001: area of a rectangle
    uR"(`q001.  There are 11 questions and 7 summary questions in this assignment.   

What is the area of a rectangle whose dimensions are 4 m by 3 meters.)",
    u"",
    uR"(`aPicture the rectangle with its 4 m side along the bottom. Along that side we can lay a row of 4 squares, each 1 m on a side, and since the rectangle is 3 m high we can stack 3 such rows. That makes 3 rows of 4 squares, or 12 squares in all, and each square has an area of 1 square meter (1 m^2). So the area is 12 m^2.

In general the area of a rectangle is A = L * W: the length tells how many squares fit in each row, and the width tells how many rows there are.

Here A = L * W = 4 m * 3 m = 12 m^2.

Notice what happens to the units: m * m = m^2, read 'square meters'. An area always comes out in square units, because it counts squares.)",
    u"",
    // 001/002: area of a right triangle
    u"`q002.  What is the area of a right triangle whose legs are 4.0 meters and 3.0 meters?",
    u"",
    uR"(`aTake two copies of the triangle and join them along the hypotenuse, turning one of them around so that its right angle sits in the opposite corner. Together they form a rectangle 4.0 m by 3.0 m, whose area is 4.0 m * 3.0 m = 12 m^2.

The two triangles are identical, so each one is half of the rectangle: 12 m^2 / 2 = 6.0 m^2.

In general a right triangle with base b and altitude h (its two legs) has area A = 1/2 * b * h. Here A = 1/2 * 4.0 m * 3.0 m = 6.0 m^2.)",
    u"",
    // 001/003: area of a parallelogram
    u"`q003.  What is the area of a parallelogram whose base is 5.0 meters and whose altitude is 2.0 meters?",
    u"",
    uR"(`aPicture the parallelogram with its 5.0 m base along the bottom. From one of the top corners draw a line straight down to the base, perpendicular to it. That line cuts off a right triangle at one end. Cut the triangle off and join it to the other end: its slanted side fits exactly against the other slanted side, and the figure becomes a rectangle with the same base, 5.0 m, and a height equal to the altitude of the parallelogram, 2.0 m.

Cutting and rejoining does not change the area, so the parallelogram has the area of that rectangle: A = b * h, where h is the altitude measured perpendicular to the base (not the length of the slanted side).

Here A = b * h = 5.0 m * 2.0 m = 10 m^2.)",
    u"",
    // 001/004: area of a triangle
    u"`q004.  What is the area of a triangle whose base is 5.0 cm and whose altitude is 2.0 cm?",
    u"",
    uR"(`aTake two copies of the triangle, turn one of them upside down and join the two along one of their slanted sides. Together they form a parallelogram with the same base, 5.0 cm, and the same altitude, 2.0 cm, as the triangle.

That parallelogram has area b * h = 5.0 cm * 2.0 cm = 10 cm^2, and the triangle is exactly half of it.

In general a triangle has area A = 1/2 * b * h, with the altitude h measured perpendicular to the base. Here A = 1/2 * 5.0 cm * 2.0 cm = 5.0 cm^2.)",
    u"",
    // 001/005: trapezoid from width and average altitude
    u"`q005.  What is the area of a trapezoid with a width of 4.0 km and average altitude of 5.0 km?",
    u"",
    uR"(`aPicture the trapezoid with its two parallel sides standing vertically, 4.0 km apart. Those two sides are its altitudes, and the 4.0 km between them is its width. The slanted top runs from the shorter altitude up to the longer one.

Now draw a horizontal line at the average altitude. It crosses the slanted top exactly halfway across the width. On the tall side a small triangle sticks up above the line, and on the short side an identical triangle is missing below it. Cut off the triangle that sticks up, swing it half a turn about the crossing point, and it fills the gap exactly. The trapezoid has become a rectangle as wide as the trapezoid and as high as its average altitude.

So the area of a trapezoid is A = width * average altitude.

Here A = 4.0 km * 5.0 km = 20 km^2.)",
    u"",
    // 001/006: trapezoid from width and two altitudes
    u"`q006.  What is the area of a trapezoid whose width is 4 cm in whose altitudes are 3.0 cm and 8.0 cm?",
    u"",
    uR"(`aStand the trapezoid with its parallel sides vertical: the altitudes are 3.0 cm and 8.0 cm, and they are 4 cm apart. As in the previous question, cutting off the triangle above the average altitude on the tall side and fitting it into the gap on the short side turns the trapezoid into a rectangle 4 cm wide and as high as the average altitude. So A = width * average altitude.

The average altitude is (3.0 cm + 8.0 cm) / 2 = 11.0 cm / 2 = 5.5 cm.

So A = width * average altitude = 4 cm * 5.5 cm = 22 cm^2.)",
    u"",
    // 001/007: area of a circle
    u"`q007.  What is the area of a circle whose radius is 3.00 cm?",
    u"",
    uR"(`aCut the circle into many thin pie slices and lay them side by side, points alternately up and down. They form a shape that is nearly a parallelogram, and more nearly so the thinner the slices: its altitude is the radius r and its base is half the circumference, pi r. Its area is therefore pi r * r = pi r^2.

So the area of a circle is A = pi r^2.

Here A = pi * (3.00 cm)^2 = pi * 9.00 cm^2 = 9 pi cm^2. That is the exact answer.

Using 3.14 for pi, A = 9 * 3.14 cm^2 = 28.26 cm^2. The radius was given to three significant figures, so we round to three: A = 28.3 cm^2. (A more accurate value of pi gives 28.27 cm^2, which rounds to the same 28.3 cm^2.)

Notice the units: r^2 gives cm * cm = cm^2, so an area is in square units. Don't confuse this with the circumference C = 2 pi r, which has only one factor r and comes out in cm.)",
    u"",
    // 001/008: circumference of a circle
    u"`q008.  What is the circumference of a circle whose radius is exactly 3 cm?",
    u"",
    uR"(`aPicture cutting the rim of the circle and straightening it out into a line. That line is pi times as long as the diameter, and the diameter is 2 r, so the circumference is C = 2 pi r.

Here C = 2 pi * 3 cm = 6 pi cm exactly.

Using 3.14 for pi, C is about 6 * 3.14 cm = 18.84 cm. Since the radius is exact, the only limit on accuracy is the value of pi we use; more digits of pi give 18.85 cm.

The circumference is a length, so it is in cm, not cm^2: its formula has only one factor r, unlike the area pi r^2.)",
    u"",
    // 001/009: circle area from its diameter
    u"`q009.  What is the area of a circle whose diameter is exactly 12 meters?",
    u"",
    uR"(`aThe area formula A = pi r^2 uses the radius, so first find it. The radius is half the diameter: r = 12 m / 2 = 6 m.

A = pi r^2 = pi * (6 m)^2 = pi * 36 m^2 = 36 pi m^2.

Because the diameter is exact, 36 pi m^2 is the exact area, and we can get any accuracy we like by using more digits of pi. With pi = 3.1416, A = 36 * 3.1416 m^2 = 113.0976 m^2, about 113 m^2.)",
    u"",
    // 001/010: circle area from its circumference
    u"`q010.  What is the area of a circle whose circumference is 14 `pi meters?",
    u"",
    uR"(`aThe circumference of a circle is C = 2 pi r. We know C = 14 pi m, so 2 pi r = 14 pi m.

Divide both sides by 2 pi: r = 14 pi m / (2 pi) = 7 m. The pi cancels, which is why the circumference was given as a multiple of pi.

Now A = pi r^2 = pi * (7 m)^2 = pi * 49 m^2 = 49 pi m^2.

As a decimal, 49 pi m^2 is about 154 m^2, or 150 m^2 if we keep only the two significant figures of the given 14.)",
    u"",
    // 001/011: circle radius from its area
    u"`q011.  What is the radius of circle whose area is 78 square meters?",
    u"",
    uR"(`aThe area of a circle is A = pi r^2. To solve for r, divide both sides by pi to get r^2 = A / pi, then take the square root: r = sqrt(A / pi) or r = -sqrt(A / pi). A radius is a length and cannot be negative, so we reject the negative root: r = sqrt(A / pi).

Here r = sqrt(78 m^2 / pi) = sqrt(78 / pi) m. This is the exact answer; since sqrt(m^2) = m, the radius comes out in meters, as it should.{}
Approximately, 78 / pi = 24.8 and sqrt(24.8) = 4.98, so r is about 5.0 m to the two significant figures of the given area. Check: pi * (5.0 m)^2 = 78.5 m^2, close to 78 m^2.)",
    u"",
    // 001/012: summary: rectangle
    u"`q012.  Summary Question 1:  How do we visualize the area of a rectangle?",
    u"",
    u"`aWe cover the rectangle with rows of squares, each 1 unit on a side (for example 1 m by 1 m, an area of 1 m^2). The length tells how many squares fit in each row and the width tells how many rows there are, so the number of squares is the number per row times the number of rows: A = L * W, in square units.",
    u"",
    // 001/013: summary: right triangle
    u"`q013.  Summary Question 2:  How do we visualize the area of a right triangle?",
    u"",
    u"`aTake two identical copies of the right triangle and join them along the hypotenuse. They form a rectangle whose sides are the triangle's base and altitude, so its area is b * h. Each triangle is half of that rectangle, so each has area A = 1/2 * b * h.",
    u"",
    // 001/014: summary: parallelogram
    u"`q014.  Summary Question 3:  How do we calculate the area of a parallelogram?",
    u"",
    u"`aMultiply the base by the altitude: A = b * h, with the altitude measured perpendicular to the base, not along the slanted side. This works because cutting off the triangle at one end and joining it to the other end turns the parallelogram into a rectangle with the same base and altitude.",
    u"",
    // 001/015: summary: trapezoid
    u"`q015.  Summary Question 4:  How do we calculate the area of a trapezoid?",
    u"",
    u"`aStand the trapezoid with its parallel sides vertical; those sides are its two altitudes, and the distance between them is its width. Cutting off the triangle above the average altitude on the tall side and fitting it into the gap on the short side turns it into a rectangle, so the area is the average altitude times the width: A = width * (h1 + h2) / 2.",
    u"",
    // 001/016: summary: circle area
    u"`q016.  Summary Question 5:  How do we calculate the area of a circle?",
    u"",
    u"`aA = pi r^2, where r is the radius. (Thin slices of the circle can be rearranged into a near-parallelogram of altitude r and base pi r, half the circumference, which gives the same pi r^2.)",
    u"",
    // 001/017: summary: circumference
    u"`q017.  Summary Question 6:  How do we calculate the circumference of a circle?  How can we easily avoid confusing this formula with that for the area of the circle?",
    u"",
    u"`aC = 2 pi r. The area formula, A = pi r^2, has r squared, and an area must come out in square units (cm * cm = cm^2). The circumference is a length, with just one factor r, so it comes out in plain units such as cm. Remember that area is measured in square units, and you will remember which formula carries the r^2.",
    u"",
    // 001/018: organisation question, deliberately without a worked answer
    u"`q018.  Explain how you have organized your knowledge of the principles illustrated by the exercises in this assignment.",
    u"",
    u"This ends the first assignment.",
    u"",
    // Assignment 002: volumes
    u"002.  Volumes",
    u"",
    // 002/001: rectangular solid
    uR"(`q001.  There are 9 questions and 4 summary questions in this assignment.   

What is the volume of a rectangular solid whose dimensions are exactly 3 cm by 5 cm by 7 cm?)",
    u"",
    uR"(`aStand the solid on its 5 cm by 7 cm face. That base can be covered by 5 rows of 7 squares, each 1 cm on a side: 35 unit squares, so the base area is 35 cm^2.

On each of those squares stands a tower of cubes 1 cm on a side, each 1 cm^3. The solid is 3 cm tall, so every tower holds 3 cubes. That makes 35 towers of 3 cubes: V = 35 * 3 cm^3 = 105 cm^3.

In other words, the volume is the area of the base times the altitude: V = A * h = 35 cm^2 * 3 cm = 105 cm^3.

For a rectangular solid this is often written V = L * W * h = 7 cm * 5 cm * 3 cm = 105 cm^3. That is correct, but V = A * h is the broader and more important idea: it works for any solid whose cross-section stays the same from bottom to top, not only for boxes.)",
    u"",
    // 002/002: rectangular solid from its base area
    u"`q002.  What is the volume of a rectangular solid whose base area is 48 square meters and whose altitude is 2 meters?",
    u"",
    uR"(`aEach square meter of the base carries a column of cubes 1 m on a side, and the solid is 2 m tall, so each column holds 2 cubes of 1 m^3. There are 48 such columns, so there are 48 * 2 = 96 cubes.

That is V = A * h = 48 m^2 * 2 m = 96 m^3. Notice that m^2 * m = m^3: a volume is in cubic units.)",
    u"",
    // 002/003: uniform cylinder from its base area
    u"`q003.  What is the volume of a uniform cylinder whose base area is 20 square meters and whose altitude is 40 meters?",
    u"",
    uR"(`aThink of the cylinder as a stack of layers, each 1 m thick. Every layer has the same cross-section as the base, 20 m^2, so every layer holds 20 m^3 (the pieces of cubes along the curved edge add up to whole cubes). The cylinder is 40 m tall, so there are 40 such layers.

V = A * h = 20 m^2 * 40 m = 800 m^3.

The shape of the base doesn't matter: V = A * h holds for every solid whose cross-section stays the same all the way up, such as uniform cylinders and uniform prisms.)",
    u"",
    // 002/004: uniform cylinder from its radius
    u"`q004.  What is the volume of a uniform cylinder whose base has radius 5 cm and whose altitude is 30 cm?",
    u"",
    uR"(`aThe base is a circle of radius 5 cm, so its area is A = pi r^2 = pi * (5 cm)^2 = 25 pi cm^2.

The cylinder is uniform, so its volume is its base area times its altitude: V = A * h = 25 pi cm^2 * 30 cm = 750 pi cm^3. Taking the given dimensions as exact, that is 2,356 cm^3 to the nearest cubic centimeter.

You may have met the formula V = pi r^2 h. It is only an instance of V = A * h, with the circle's area pi r^2 as A.)",
    u"",
    // 002/005: estimated can
    u"`q005.  Estimate the dimensions of a metal can containing food. What is its volume, as indicated by your estimates?",
    u"",
    uR"(`aYour answer depends on the can you picture, so here are two examples of how to work it.

Example 1: a can with a diameter of 3 in and an altitude of 5 in. Its radius is 3/2 in, so its base area is A = pi * (3/2 in)^2 = 9 pi / 4 in^2, about 7.1 in^2. Its volume is V = A * h = 9 pi / 4 in^2 * 5 in = 45 pi / 4 in^3, about 35 in^3.

Example 2: a can 8 cm in diameter and 14 cm high. Its radius is 4 cm, so A = pi * (4 cm)^2 = 16 pi cm^2, and V = A * h = 16 pi cm^2 * 14 cm = 224 pi cm^3, about 700 cm^3.

Whatever your estimates, the method is the same: the can is a uniform cylinder, so find the area of its circular base and multiply by its altitude. Estimates are rough, so round the result to one or two significant figures.)",
    u"",
    // 002/006: pyramid
    u"`q006.  What is the volume of a pyramid whose base area is 50 square cm and whose altitude is 60 cm?",
    u"",
    uR"(`aA pyramid has no constant cross-section: it narrows from its base to a point, so V = A * h does not apply to it directly. Instead, compare it with the box that encloses it, the box with the same base and the same altitude.

A pyramid fills exactly 1/3 of that box. You can see this in a cube: from one corner, draw lines to all the other corners. They cut the cube into three identical pyramids, each having one of the three faces that don't touch that corner as its base and an edge of the cube as its altitude. Three identical pyramids fill the cube, so each is 1/3 of it, and the same fraction holds for every pyramid.

So V = 1/3 * A * h. Here the enclosing box has volume A * h = 50 cm^2 * 60 cm = 3000 cm^3, and the pyramid has V = 1/3 * 50 cm^2 * 60 cm = 1000 cm^3.)",
    u"",
    // 002/007: cone
    u"`q007.  What is the volume of a cone whose base area is 20 square meters and whose altitude is 9 meters?",
    u"",
    uR"(`aLike a pyramid, a cone narrows to a point, so its cross-section is not constant. It fills 1/3 of the cylinder that encloses it, the cylinder with the same base and altitude, just as a pyramid fills 1/3 of its box. So V = 1/3 A * h.

Here V = 1/3 * 20 m^2 * 9 m = 1/3 * 180 m^3 = 60 m^3.)",
    u"",
    // 002/008: sphere
    u"`q008.  What is a volume of a sphere whose radius is 4 meters?",
    u"",
    uR"(`aA sphere fits snugly inside a cylinder whose radius is the sphere's radius r and whose altitude is the diameter 2 r. That cylinder has volume pi r^2 * 2 r = 2 pi r^3, and the sphere fills exactly 2/3 of it: 2/3 * 2 pi r^3 = 4/3 pi r^3.

So the volume of a sphere is V = 4/3 pi r^3.

Here V = 4/3 pi (4 m)^3 = 4/3 pi * 64 m^3 = 256/3 pi m^3.

As a decimal that is about 268 m^3, taking the radius as exactly 4 m.)",
    u"",
    // 002/009: planet
    u"`q009.  What is the volume of a planet whose diameter is 14,000 km?",
    u"",
    uR"(`aTreat the planet as a sphere. Its radius is half its diameter: r = 14,000 km / 2 = 7,000 km.

V = 4/3 pi r^3 = 4/3 pi (7,000 km)^3 = 4/3 pi * 343,000,000,000 km^3 = 1,372,000,000,000 / 3 * pi km^3.

That is about 1,437,000,000,000 km^3. The diameter was given to two significant figures, so a suitably rounded answer is 1,400,000,000,000 km^3, or 1.4 * 10^12 km^3.)",
    u"",
    // 002/010: summary: uniform cylinder
    u"`q010.  Summary Question 1:  What basic principle do we apply to find the volume of a uniform cylinder of known dimensions?",
    u"",
    u"`aA uniform cylinder has the same cross-section all the way up, so it is a stack of identical layers, and its volume is the cross-sectional area times the altitude: V = A * h, with the altitude measured perpendicular to the cross-section. The same principle holds for every solid of constant cross-section, such as a rectangular solid or a uniform prism.",
    u"",
    // 002/011: summary: pyramid and cone
    u"`q011.  Summary Question 2:  What basic principle do we apply to find the volume of a pyramid or a cone?",
    u"",
    u"`aA pyramid or a cone fills 1/3 of the figure that encloses it, the box or cylinder with the same base and altitude, so its volume is V = 1/3 A * h, where A is the area of the base and h is the altitude measured perpendicular to the base.",
    u"",
    // 002/012: summary: sphere
    u"`q012.  Summary Question 3:  What is the formula for the volume of a sphere?",
    u"",
    u"`aV = 4/3 pi r^3, where r is the radius of the sphere. This is 2/3 of the volume of the cylinder that just encloses the sphere.",
    u"",
    // 002/013: organisation question, deliberately without a worked answer
    u"`q013.  Explain how you have organized your knowledge of the principles illustrated by the exercises in this assignment.",
    u"",
    u"This ends the second assignment.",
    u"",
    // Assignment 003: surface area, Pythagorean theorem, density
    u"003.  Misc:  Surface Area, Pythagorean Theorem, Density",
    u"",
    // 003/001: surface of a rectangular solid
    uR"(`q001.  There are 10 questions and 5 summary questions in this assignment.   

What is surface area of a rectangular solid whose dimensions are 3 meters by 4 meters by 6 meters?)",
    u"",
    uR"(`aA rectangular solid has six rectangular faces, which come in three pairs of identical opposite faces: top and bottom, front and back, and the two ends. Each face is covered by rows of unit squares, so each has area length times width.

With dimensions 3 m, 4 m and 6 m the pairs are: two faces 3 m by 4 m, each 12 m^2; two faces 3 m by 6 m, each 18 m^2; and two faces 4 m by 6 m, each 24 m^2.

Total surface area = 2 * 12 m^2 + 2 * 18 m^2 + 2 * 24 m^2 = 24 m^2 + 36 m^2 + 48 m^2 = 108 m^2.)",
    u"",
    // 003/002: surface of a cylinder
    u"`q002.  What is the surface area of the curved sides of a cylinder whose radius is five meters and whose altitude is 12 meters? If the cylinder is closed what is its total surface area?",
    u"",
    uR"(`aPicture cutting the curved side straight up from bottom to top and unrolling it flat. It becomes a rectangle whose width is the circumference of the base and whose height is the altitude of the cylinder.

So the curved side has area circumference * altitude = 2 pi r h. A closed cylinder also has a top and a bottom, circles of area pi r^2 each, for a total of 2 pi r h + 2 pi r^2.

Here the circumference is C = 2 pi r = 2 pi * 5 m = 10 pi m, so the curved side has area 10 pi m * 12 m = 120 pi m^2, about 377 m^2.

If the cylinder is closed, each end has area pi * (5 m)^2 = 25 pi m^2. The total surface area is 120 pi m^2 + 2 * 25 pi m^2 = 120 pi m^2 + 50 pi m^2 = 170 pi m^2, about 534 m^2.)",
    u"",
    // 003/003: surface of a sphere
    u"`q003.  What is surface area of a sphere of diameter three cm?",
    u"",
    uR"(`aThe surface of a sphere has exactly the same area as the curved side of the cylinder that just encloses it, the cylinder of radius r and altitude 2 r. Unrolled, that side is a rectangle 2 pi r by 2 r, with area 4 pi r^2. So the surface area of a sphere is A = 4 pi r^2, four times the area of a circle of the same radius.

The diameter is 3 cm, so r = 3/2 cm = 1.5 cm.

A = 4 pi r^2 = 4 pi (3/2 cm)^2 = 4 pi * 9/4 cm^2 = 9 pi cm^2, about 28.3 cm^2 if the diameter is exactly 3 cm.)",
    u"",
    // 003/004: hypotenuse
    u"`q004.  What is hypotenuse of a right triangle whose legs are 5 meters and 9 meters?",
    u"",
    uR"(`aWhy the Pythagorean theorem holds: inside a square of side a + b, place four copies of the right triangle, one in each corner, with the legs a and b along the sides. The space left in the middle is a tilted square whose side is the hypotenuse c. The big square has area (a + b)^2 = a^2 + 2 a b + b^2, and the four triangles take up 4 * 1/2 a b = 2 a b, so the middle square has area c^2 = a^2 + b^2.

So the hypotenuse is c = sqrt(a^2 + b^2).

Here c = sqrt((5 m)^2 + (9 m)^2) = sqrt(25 m^2 + 81 m^2) = sqrt(106 m^2) = sqrt(106) m, about 10.3 m.

A warning: sqrt(a^2 + b^2) is not a + b. Adding the legs would give 5 m + 9 m = 14 m, which is too long; the hypotenuse of a right triangle is always shorter than the sum of its legs.)",
    u"",
    // 003/005: other leg
    u"`q005.  If the hypotenuse of a right triangle has length 6 meters and one of its legs has length 4 meters what is the length of the other leg?",
    u"",
    uR"(`aBy the Pythagorean theorem a^2 + b^2 = c^2, where c is the hypotenuse. Subtracting b^2 from both sides gives a^2 = c^2 - b^2, so the other leg is a = sqrt(c^2 - b^2).

Here a = sqrt((6 m)^2 - (4 m)^2) = sqrt(36 m^2 - 16 m^2) = sqrt(20 m^2).

Since 20 = 4 * 5, sqrt(20 m^2) = sqrt(4) * sqrt(5) m = 2 sqrt(5) m, about 4.5 m.

As with the hypotenuse, don't just subtract the lengths: 6 m - 4 m = 2 m is wrong.)",
    u"",
    // 003/006: density of a uniform block
    u"`q006.  If a rectangular solid made of a uniform, homogeneous material has dimensions 4 cm by 7 cm by 12 cm and if its mass is 700 grams then what is its density in grams per cubic cm?",
    u"",
    uR"(`aThe volume of the block is the number of unit cubes in it, layers of rows: V = L * W * h = 4 cm * 7 cm * 12 cm = 336 cm^3.

Density is mass per unit volume: density = mass / volume = 700 grams / 336 cm^3 = 2.0833... grams / cm^3, about 2.08 grams / cm^3.

Because the material is uniform and homogeneous, every part of the block has this same density, so 2.08 grams / cm^3 is the density of the material itself and not only the block's average density. An object made of a mix of two substances could have the same average density without any part of it actually having that density.)",
    u"",
    // 003/007: mass of a sphere
    u"`q007.  What is the mass of a sphere of radius 4 meters if its average density is 3,000 kg/cubic meter?",
    u"",
    uR"(`aFirst the volume: V = 4/3 pi r^3 = 4/3 pi (4 m)^3 = 4/3 pi * 64 m^3 = 256/3 pi m^3.

Average density is mass per unit volume, so mass = average density * volume = 3,000 kg / m^3 * 256/3 pi m^3 = 256,000 pi kg. The m^3 cancels, leaving kg, as a mass should.

As a decimal that is about 804,000 kg, roughly 800,000 kg.)",
    u"",
    // 003/008: average density of two pieces
    u"`q008.  If we build a an object out of two pieces of material, one having a volume of 6 cm^3 at a density of 4 grams per cm^3 and another with a volume of 10 cm^3 at a density of 2 grams per cm^3 then what is the average density of this object?",
    u"",
    uR"(`aFind the mass of each piece, mass = density * volume: 6 cm^3 * 4 grams / cm^3 = 24 grams, and 10 cm^3 * 2 grams / cm^3 = 20 grams.

The object's total mass is 24 grams + 20 grams = 44 grams, and its total volume is 6 cm^3 + 10 cm^3 = 16 cm^3.

Average density = total mass / total volume = 44 grams / 16 cm^3 = 2.75 grams / cm^3.

Notice that this is not the simple average of 4 and 2 grams / cm^3, which would be 3 grams / cm^3: the less dense piece has the larger volume, so it counts for more.)",
    u"",
    // 003/009: sand and cannon balls
    u"`q009.  In a large box of dimension 2 meters by 3 meters by 5 meters we place 27 cubic meters of sand whose density is 2100 kg/cubic meter, surrounding a total of three cubic meters of cannon balls whose density is 8,000 kg per cubic meter. What is the average density of the material in the box?",
    u"",
    uR"(`aThe box has volume 2 m * 3 m * 5 m = 30 m^3, exactly filled by the 27 m^3 of sand and the 3 m^3 of cannon balls.

Mass of the sand: 27 m^3 * 2100 kg / m^3 = 56,700 kg. Mass of the cannon balls: 3 m^3 * 8,000 kg / m^3 = 24,000 kg. Total mass: 56,700 kg + 24,000 kg = 80,700 kg.

Average density = total mass / total volume = 80,700 kg / 30 m^3 = 2,690 kg / m^3, about 2,700 kg / m^3.)",
    u"",
    // 003/010: oil slick
    u"`q010.  How many cubic meters of oil are there in an oil slick which covers 1,700,000 square meters (between 1/2 and 1 square mile) to an average depth of .015 meters? If the density of the oil is 860 kg/cubic meter the what is the mass of the oil slick?",
    u"",
    uR"(`aThe slick is a thin layer of constant cross-section, so its volume is its area times its depth, V = A * h: the same principle as for a cylinder or a rectangular solid, just very flat.

V = A * h = 1,700,000 m^2 * 0.015 m = 25,500 m^3, about 26,000 m^3 to two significant figures.

mass = density * volume = 860 kg / m^3 * 25,500 m^3 = 21,930,000 kg.

The area and the depth were given to two significant figures, so we round the mass to 22,000,000 kg, or 2.2 * 10^7 kg.)",
    u"",
    // 003/011: summary: cylinder surface
    u"`q011.  Summary Question 1:  How do we find the surface area of a cylinder?",
    u"",
    u"`aCut the curved side straight up and unroll it: it becomes a rectangle whose width is the circumference 2 pi r and whose height is the altitude h, so its area is 2 pi r h. If the cylinder is closed, add the top and bottom, circles of area pi r^2 each. The total surface area is 2 pi r h + 2 pi r^2.",
    u"",
    // 003/012: summary: sphere surface
    u"`q012.  Summary Question 2:  What is the formula for the surface area of a sphere?",
    u"",
    u"`aA = 4 pi r^2, where r is the radius: four times the area of a circle of the same radius, and the same as the curved side of the cylinder that just encloses the sphere.",
    u"",
    // 003/013: summary: density
    u"`q013.  Summary Question 3:  What is the meaning of the term 'density'.",
    u"",
    u"`aDensity tells how much mass is packed into each unit of volume. The average density of an object is its mass per unit volume, its total mass divided by its total volume, in units such as grams / cm^3 or kg / m^3. If the object is uniform and homogeneous, every part of it has the same mass per unit volume, so its density is constant throughout and equal to its average density; an object made of different materials has only an average density.",
    u"",
    // 003/014: summary: volume from mass and density
    u"`q014.  Summary Question 4:  If we know average density and mass, how can we find volume?",
    u"",
    u"`aSince average density = mass / volume, multiplying both sides by the volume and dividing by the density gives volume = mass / average density. For example, 44 grams of material with an average density of 2.75 grams / cm^3 occupies 44 grams / (2.75 grams / cm^3) = 16 cm^3.",
    u"",
    // 003/015: organisation question, deliberately without a worked answer
    u"`q015.  Explain how you have organized your knowledge of the principles illustrated by the exercises in this assignment.",
    u"",
    u"This ends the third assignment. ",
    u"",
    // Assignment 004: units of volume measure
    u"004.  Units of volume measure",
    u"",
    // 004/001: cubic container 10 cm on a side
    uR"(`q001.  There are 10 questions and 5 summary questions in this assignment.   

How many cubic centimeters of fluid would require to fill a cubic container 10 cm on a side?)",
    u"",
    uR"(`aFill the container with cubes 1 cm on a side. Along the bottom a row holds 10 cubes and there are 10 rows, so the bottom layer holds 100 cubes. The container is 10 cm tall, so there are 10 such layers: 10 layers of 10 rows of 10 cubes, 1000 cubes of 1 cm^3 each.

In short, V = 10 cm * 10 cm * 10 cm = 1000 cm^3, so it takes 1000 cm^3 of fluid.)",
    u"",
    // 004/002: 10 cm cubes in a cubic meter
    u"`q002.  How many cubes each 10 cm on a side would it take to build a solid cube one meter on a side?",
    u"",
    uR"(`aA meter is 100 cm, so 10 of the 10-cm cubes fit along each edge of the big cube. A row holds 10 cubes, a layer holds 10 rows, and the big cube holds 10 layers.

10 layers of 10 rows of 10 cubes: 10 * 10 * 10 = 1000 cubes.)",
    u"",
    // 004/003: tiles on a square km
    u"`q003.  How many square tiles each one meter on each side would it take to cover a square one km on the side?",
    u"",
    uR"(`aA km is 1000 m, so along one side of the square we can lay a row of 1000 tiles, and it takes 1000 such rows to cover the square.

1000 rows of 1000 tiles make 1000 * 1000 = 1,000,000 tiles.

Formally, the area is (1000 m)^2 = 1000^2 m^2 = 1,000,000 m^2, and each tile covers 1 m^2, so a square km is 1,000,000 m^2.)",
    u"",
    // 004/004: cubic centimeters in a liter
    u"`q004.  How many cubic centimeters are there in a liter?",
    u"",
    uR"(`aA liter is the volume of a cube 10 cm on a side. As in the first question of this assignment, such a cube holds 10 layers of 10 rows of 10 one-centimeter cubes.

So 1 liter = 10 cm * 10 cm * 10 cm = 1000 cm^3.)",
    u"",
    // 004/005: liters in a cubic meter
    u"`q005.  How many liters are there in a cubic meter?",
    u"",
    uR"(`aA liter is a cube 10 cm on a side and a meter is 100 cm, so 10 liter cubes fit along each edge of a cubic meter. The cubic meter holds 10 layers of 10 rows of 10 liter cubes.

10 * 10 * 10 = 1000, so there are 1000 liters in a cubic meter.)",
    u"",
    // 004/006: cubic centimeters in a cubic meter
    u"`q006.  How many cm^3 are there in a cubic meter?",
    u"",
    uR"(`aThere are 1000 cm^3 in a liter and 1000 liters in a cubic meter, so a cubic meter holds 1000 cm^3 / liter * 1000 liters = 1,000,000 cm^3.

We can also cube the length directly: 1 m = 100 cm, so 1 m^3 = (100 cm)^3 = 100^3 cm^3 = 1,000,000 cm^3. Picture 100 layers of 100 rows of 100 one-centimeter cubes.)",
    u"",
    // 004/007: mass of a cubic meter of water
    u"`q007.  If a liter of water has a mass of 1 kg the what is the mass of a cubic meter of water?",
    u"",
    uR"(`aA cubic meter holds 1000 liters (10 layers of 10 rows of 10 liter cubes), and each liter of water has a mass of 1 kg.

mass = 1000 liters * 1 kg / liter = 1000 kg.

That is about 2,200 pounds, a little over a ton.)",
    u"",
    // 004/008: mass of a cubic km of water
    u"`q008.  What is the mass of a cubic km of water?",
    u"",
    uR"(`aA km is 1000 m, so a cubic km holds 1000 layers of 1000 rows of 1000 one-meter cubes: (1000 m)^3 = 1,000,000,000 m^3 = 10^9 m^3.

Each cubic meter of water has a mass of 1000 kg, so the mass is 10^9 m^3 * 1000 kg / m^3 = 10^12 kg, that is 1,000,000,000,000 kg.)",
    u"",
    // 004/009: drinking a cubic km
    u"`q009.  If each of 5 billion people drink two liters of water per day then how long would it take these people to drink a cubic km of water?",
    u"",
    uR"(`aTogether the people drink 5,000,000,000 * 2 liters / day = 10,000,000,000 liters / day, or 10^10 liters per day.

A cubic km is 10^9 m^3, and each cubic meter holds 1000 liters, so 1 km^3 = 10^9 m^3 * 1000 liters / m^3 = 10^12 liters.

time = 10^12 liters / (10^10 liters / day) = 100 days.)",
    u"",
    // 004/010: water over the Earth
    u"`q010.  The radius of the Earth is approximately 6400 kilometers. What is the surface area of the Earth? If the surface of the Earth was covered to a depth of 2 km with water that what would be the approximate volume of all this water?",
    u"",
    uR"(`aTreat the Earth as a sphere. Its surface area is A = 4 pi r^2 = 4 pi (6400 km)^2 = 4 pi * 40,960,000 km^2 = 163,840,000 pi km^2, about 510,000,000 km^2 to the two significant figures of the radius.

A layer of water 2 km deep over the whole surface is, to a very good approximation, a thin layer of constant cross-section, so V = A * h = 163,840,000 pi km^2 * 2 km = 327,680,000 pi km^3. With the rounded area, V = 510,000,000 km^2 * 2 km = 1,020,000,000 km^3, about a billion cubic kilometers. (The unrounded area gives 1,029,000,000 km^3; at the precision of the data both are about 1,000,000,000 km^3.)

The water's surface is curved and its radius is 6402 km rather than 6400 km, so the top of the layer is slightly larger than the bottom. That changes the area by only about 0.06 percent and the volume by about 0.03 percent, a fraction of one percent, so the rounded result stands.)",
    u"",
    // 004/011: summary: cubic centimeters in a liter
    u"`q011.  Summary Question 1:  How can we visualize the number of cubic centimeters in a liter?",
    u"",
    u"`aPicture a cube 10 cm on a side, which is one liter. It holds 10 layers of 10 rows of 10 one-centimeter cubes, that is 10 * 10 * 10 = 1000 cm^3.",
    u"",
    // 004/012: summary: liters in a cubic meter
    u"`q012.  Summary Question 2:  How can we visualize the number of liters in a cubic meter?",
    u"",
    u"`aA cubic meter is a cube 100 cm on a side, so 10 liter cubes, each 10 cm on a side, fit along each edge. It holds 10 layers of 10 rows of 10 ten-centimeter cubes, that is 1000 liters.",
    u"",
    // 004/013: summary: cubic centimeters in a cubic meter
    u"`q013.  Summary Question 3:  How can we calculate the number of cubic centimeters in a cubic meter?",
    u"",
    u"`aMultiply: 1000 liters per m^3 times 1000 cm^3 per liter gives 1,000,000 cm^3 per m^3. Or cube the length directly: 1 m^3 = (100 cm)^3 = 1,000,000 cm^3.",
    u"",
    // 004/014: summary: cubic meters in a cubic km
    u"`q014.  Summary Question 4:  There are 1000 meters in a kilometer.  So why aren't there 1000 cubic meters in a cubic kilometer?  Or are there?",
    u"",
    u"`aThere are not. A cubic kilometer is a cube 1000 m on a side, so it holds 1000 layers of 1000 rows of 1000 one-meter cubes: 1000 * 1000 * 1000 = 1,000,000,000 m^3. Formally, 1 km^3 = (10^3 m)^3 = 10^9 m^3, not 1000 m^3. The factor 1000 converts lengths; a volume has three dimensions, so the factor is applied three times.",
    u"",
    // 004/015: organisation question, deliberately without a worked answer
    u"`q015.  Explain how you have organized your knowledge of the principles illustrated by the exercises in this assignment.",
    u"",
    u"This ends the fourth assignment.",
    u"",
    u"end program",
};
// clang-format on

} // namespace

QStringList assignmentContent()
{
    QStringList content;
    content.reserve(static_cast<qsizetype>(std::size(entries)));
    for (const char16_t *entry : entries)
        content.append(QString::fromUtf16(entry).replace(u'\n', QStringLiteral("\r\n")));
    return content;
}

} // namespace bank
