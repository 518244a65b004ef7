// Checks of the whole deck after reading, before the analysis: input that
// can give no physical result is refused with a report message and the
// fatal-input flag.
//
// The rule: an input that yields a result no physical foundation has is
// refused; an input the program gives a meaning to is kept.  Refused:
//   - no SOIL block for the foundation type (every type needs one);
//   - a transient time step not above 0;
//   - a pile or shaft element or a stratum layer whose thickness is not
//     above 0 (an element of thickness 0 makes every term NaN); a negative
//     side-layer thickness or stratum embedment;
//   - negative shear-wave velocities, unit weights, material damping, weak
//     shear ratios and shear modulus ratios of the soils in use;
//   - a weak shear ratio not above 0 in a weak zone of non-zero thickness
//     (pile layers, a shaft's adjacent layers, a half-space's side layers,
//     a pile cap's side soil): a zone without stiffness that takes the soil
//     away; the message gives the value and says that 1 means no weak zone;
//   - a Poisson's ratio of a soil in use (layers, soil below, half-space,
//     stratum, side layers, and the weak zones whose values are read) that is
//     not above -1 or is above 0.5: no isotropic elastic medium has one; the
//     message gives the value (0.5, the incompressible soil, is kept);
//   - negative pile or shaft radii, section properties, unit weight, damping
//     and Young's modulus; a negative mass or mass moment about an axis;
//   - a footing radius or side not above 0 where the footing's size enters
//     the result: half-space and stratum footings, and pile caps with side
//     layers (EMBE).  A pile or multilayer cap without side layers may have
//     any size, a cap never sized (0) included.
// Kept, because they have a meaning: a side layer of thickness 0 (it adds
// nothing: the project writer gives a footing without embedment one such
// layer); a shear-wave velocity of 0 (a soil without stiffness); a soil below
// a pile or a multilayer shaft with Vs <= 0 (a free tip); a half-space with
// Vs <= 0 (the driver's own message); a weak shear ratio of 0 in a zone of
// thickness 0 (no zone); a negative Poisson's ratio above -1 (a medium that
// widens when stretched: every term stays finite); negative centre-of-gravity
// coordinates and products of inertia.
#pragma once

namespace eng {

// Writes one message per refused value; sets the fatal-input flag.  True
// when nothing was refused.
bool CHECK_PHYSICAL_INPUT();

}  // namespace eng
