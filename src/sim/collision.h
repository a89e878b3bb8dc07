// Resolving a moving body against the fixed level.
#pragma once

// Pushes the body (a point inflated by `radius`) out of the room's bounds and
// the level's solids, carries it through the portal windows of the x walls,
// and reflects every velocity component of a face it touched as
// -component * response. True when anything was touched.
//
// The velocity components are updated in place one after another, so the
// same variable may stand for several of them (zeroVelocity does).
bool CollideWithWorld(double& x, double& y, double& z, double& vx, double& vy, double& vz, double radius,
                      double response);
