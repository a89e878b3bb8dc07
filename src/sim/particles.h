// Impact bursts: 8 smoke puffs and 37 debris chips per shot that touched
// something, moved and drawn in one pass per frame.
#pragma once

struct Particle;

// Fills the 45 particles of burst slot shotSlot at the shot's position.
void SpawnImpactBurst();

// Moves and draws every live particle of all bursts; clears burstActive when
// none is left.
void UpdateParticles();

double Length2D(double a, double b);

// One frame of one particle's motion, without drawing.
void MoveDebris(Particle& p);
void MoveSmoke(Particle& p);
