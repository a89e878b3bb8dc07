#include "render/level.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "app/game_state.h"
#include "render/multitexture.h"
#include "sim/frame.h"
#include "sim/solids.h"

namespace {

// Hidden-face culling. Every face is recorded with the winding that makes
// the side a viewer can stand on its front: the inside of the room, the
// outside of a solid. The corners stay as they are; glFrontFace says which
// way round they count.
struct Point {
    double x, y, z;
};

constexpr GLenum kNoWinding = 0;
GLenum recordedFrontFace = kNoWinding;
// The list recorded with those windings; any other list is drawn uncut.
GLuint windingsRecordedIn = 0;

// Records the winding that shows the face (a, b, c, ...) to a viewer on the
// side of `reference` (inside the room) or away from it (outside a solid),
// when it differs from the last face's.
void FrontFaceTowards(const Point& a, const Point& b, const Point& c, const Point& reference, bool viewerInside) {
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double outwards = nx * (a.x - reference.x) + ny * (a.y - reference.y) + nz * (a.z - reference.z);
    const bool counterClockwiseFront = viewerInside ? outwards < 0 : outwards > 0;
    const GLenum front = counterClockwiseFront ? GL_CCW : GL_CW;
    if (front == recordedFrontFace) return;
    glFrontFace(front);
    recordedFrontFace = front;
}

constexpr Point kRoomCentre = {kRoomSize / 2, kRoomHeight / 2, kRoomSize / 2};

Point Centre(const Solid& s) { return {(s.xMin + s.xMax) / 2, (s.yMin + s.yMax) / 2, (s.zMin + s.zMax) / 2}; }

struct RoomCorner {
    double x, y, z;
    float baseS, baseT, lightS, lightT;
};

struct RoomFace {
    int base;
    int lightMap;
    bool bindBase;  // front, left and right walls keep the back wall's base texture
    RoomCorner corners[4];
};

// The base textures repeat 10 x 10 over floor and ceiling and 4 x 1 over each
// wall; every lightmap covers its face once.
const RoomFace kRoomFaces[] = {
    {tex::floor, tex::LightMapFloor, true,
     {{512, 0, 512, 10, 10, 1, 1}, {512, 0, 0, 10, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 512, 0, 10, 0, 1}}},
    {tex::ceiling, tex::LightMapCeiling, true,
     {{512, 128, 512, 10, 10, 1, 1}, {512, 128, 0, 10, 0, 1, 0}, {0, 128, 0, 0, 0, 0, 0}, {0, 128, 512, 0, 10, 0, 1}}},
    {tex::wall, tex::LightMapBackWall, true,
     {{512, 128, 0, 4, 1, 1, 1}, {512, 0, 0, 4, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 128, 0, 0, 1, 0, 1}}},
    {tex::wall, tex::LightMapFrontWall, false,
     {{512, 128, 512, 4, 1, 1, 1}, {512, 0, 512, 4, 0, 1, 0}, {0, 0, 512, 0, 0, 0, 0}, {0, 128, 512, 0, 1, 0, 1}}},
    {tex::wall, tex::LightMapLeftWall, false,
     {{0, 128, 512, 4, 1, 1, 1}, {0, 0, 512, 4, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 128, 0, 0, 1, 0, 1}}},
    {tex::wall, tex::LightMapRightWall, false,
     {{512, 128, 512, 4, 1, 1, 1}, {512, 0, 512, 4, 0, 1, 0}, {512, 0, 0, 0, 0, 0, 0}, {512, 128, 0, 0, 1, 0, 1}}},
};

void BindOnUnit(GLenum unit, int slot) {
    mt::glActiveTextureARB(unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[slot]);
}

void RecordRoom() {
    for (const RoomFace& face : kRoomFaces) {
        if (face.bindBase) BindOnUnit(GL_TEXTURE0_ARB, face.base);
        BindOnUnit(GL_TEXTURE1_ARB, face.lightMap);
        if (face.base == tex::floor) glColor4d(1, 1, 1, 1);
        const RoomCorner* c = face.corners;
        FrontFaceTowards({c[0].x, c[0].y, c[0].z}, {c[1].x, c[1].y, c[1].z}, {c[2].x, c[2].y, c[2].z}, kRoomCentre,
                         true);
        glBegin(GL_QUADS);
        for (const RoomCorner& c : face.corners) {
            mt::glMultiTexCoord2fARB(GL_TEXTURE0_ARB, c.baseS, c.baseT);
            mt::glMultiTexCoord2fARB(GL_TEXTURE1_ARB, c.lightS, c.lightT);
            glVertex3d(c.x, c.y, c.z);
        }
        glEnd();
    }
}

struct Corner {
    double x, y, z, s, t;
};

void Quad(const Corner (&corners)[4]) {
    glBegin(GL_QUADS);
    for (const Corner& c : corners) {
        glTexCoord2d(c.s, c.t);
        glVertex3d(c.x, c.y, c.z);
    }
    glEnd();
}

void Grey(double level) { glColor3d(level, level, level); }

Point PointOf(const Corner& c) { return {c.x, c.y, c.z}; }

// A face of the room, seen from inside, or of a solid, seen from outside.
void RoomQuad(const Corner (&corners)[4]) {
    FrontFaceTowards(PointOf(corners[0]), PointOf(corners[1]), PointOf(corners[2]), kRoomCentre, true);
    Quad(corners);
}

void SolidQuad(const Solid& solid, const Corner (&corners)[4]) {
    FrontFaceTowards(PointOf(corners[0]), PointOf(corners[1]), PointOf(corners[2]), Centre(solid), false);
    Quad(corners);
}

// Blended with whatever function is current when the list runs. They lie in
// the planes of the x walls, drawn after them; but clipping the huge wall
// quads leaves their depths a little off, and a less-or-equal test then hid
// whole triangles of a portal. Only room faces are drawn before the portals,
// and from inside the box no room face can be in front of another, so the
// portals are drawn without the depth test; the maze comes later and is
// tested against the wall's depth as before.
void RecordPortals() {
    glDisable(GL_TEXTURE_2D);  // on unit 1, still the active one after the room
    mt::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, textures[tex::portal]);
    glColor4f(1, 1, 1, 1);
    RoomQuad({{512, 54, 211, 0, 1}, {512, 0, 211, 0, 0}, {512, 0, 301, 1, 0}, {512, 54, 301, 1, 1}});
    glBindTexture(GL_TEXTURE_2D, textures[tex::portal_2]);
    glColor4f(1, 1, 1, 1);
    RoomQuad({{0, 54, 211, 1, 1}, {0, 0, 211, 1, 0}, {0, 0, 301, 0, 0}, {0, 54, 301, 0, 1}});
    glEnable(GL_DEPTH_TEST);
}

void RecordLid(const Solid& b) {
    Grey(1.0);
    SolidQuad(b, {{b.xMin, b.yMax, b.zMin, 0, 0}, {b.xMax, b.yMax, b.zMin, 4, 0}, {b.xMax, b.yMax, b.zMax, 4, 4},
              {b.xMin, b.yMax, b.zMax, 0, 4}});
    Grey(0.75);
    for (double z : {b.zMin, b.zMax})
        SolidQuad(b, {{b.xMin, b.yMin, z, 0, 0}, {b.xMax, b.yMin, z, 2, 0}, {b.xMax, b.yMax, z, 2, 0.25},
                  {b.xMin, b.yMax, z, 0, 0.25}});
    for (double x : {b.xMin, b.xMax})
        SolidQuad(b, {{x, b.yMin, b.zMin, 0, 0}, {x, b.yMin, b.zMax, 2, 0}, {x, b.yMax, b.zMax, 2, 0.25},
                  {x, b.yMax, b.zMin, 0, 0.25}});
    Grey(0.2);
    SolidQuad(b, {{b.xMin, b.yMin, b.zMin, 0, 0}, {b.xMax, b.yMin, b.zMin, 2, 0}, {b.xMax, b.yMin, b.zMax, 2, 2},
              {b.xMin, b.yMin, b.zMax, 0, 2}});
}

// A maze wall in its own terms: `across` is the thin axis, inner being the
// face towards the maze centre; `along` runs from the low end to the high end.
class WallFrame {
public:
    explicit WallFrame(const Solid& b) : b_(b), xWall_(b.xMax - b.xMin < b.zMax - b.zMin) {
        const double lo = xWall_ ? b.xMin : b.zMin, hi = xWall_ ? b.xMax : b.zMax;
        const bool positiveSide = lo > 256;
        inner_ = positiveSide ? lo : hi;
        outer_ = positiveSide ? hi : lo;
        low_ = xWall_ ? b.zMin : b.xMin;
        high_ = xWall_ ? b.zMax : b.xMax;
        plusZ_ = !xWall_ && positiveSide;
    }
    Corner At(double across, double along, double y, double s, double t) const {
        return xWall_ ? Corner{across, y, along, s, t} : Corner{along, y, across, s, t};
    }
    void Record() const {
        const double top = b_.yMax, bottom = b_.yMin;
        Grey(1.0);
        SolidQuad(b_, {At(inner_, low_, top, 0, 0), At(outer_, low_, top, 4, 0), At(outer_, high_, top, 4, 4),
                  At(inner_, high_, top, 0, 4)});
        Grey(0.75);
        LongFace(outer_);
        for (double end : {low_, high_})
            SolidQuad(b_, {At(inner_, end, bottom, 0, 0), At(outer_, end, bottom, 0, 4), At(outer_, end, top, 4, 4),
                      At(inner_, end, top, 4, 0)});
        Grey(0.25);
        LongFace(inner_);
    }

private:
    void LongFace(double across) const {
        // The +z walls run their texture the other way along.
        const double tLow = plusZ_ ? 0 : 4, tHigh = plusZ_ ? 4 : 0;
        SolidQuad(b_, {At(across, low_, b_.yMin, 4, tLow), At(across, high_, b_.yMin, 4, tHigh),
                  At(across, high_, b_.yMax, 0, tHigh), At(across, low_, b_.yMax, 0, tLow)});
    }
    const Solid& b_;
    bool xWall_;
    double inner_, outer_, low_, high_;
    bool plusZ_;
};

// One texture per ring, bound as the ring begins; ring 1 keeps the lid's clay.
constexpr int kRingTextures[6] = {tex::clay, tex::floor_1, tex::wall_1, tex::floor_1, tex::clay, tex::floor_1};
constexpr int kWallsPerRing = 3;

void RecordMaze() {
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[tex::clay]);
    RecordLid(kSolids[kLidIndex]);
    for (int wall = 0; wall < kSolidCount - 1; ++wall) {
        const int ring = wall / kWallsPerRing;
        if (ring > 0 && wall % kWallsPerRing == 0) glBindTexture(GL_TEXTURE_2D, textures[kRingTextures[ring]]);
        WallFrame(kSolids[kLidIndex + 1 + wall]).Record();
    }
}

// How far from the eye the near clipping plane reaches, at its corners.
double NearPlaneReach() {
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    if (m[0] == 0 || m[5] == 0 || m[10] == 1) return -1;
    const double near = m[14] / (m[10] - 1);
    const double halfWidth = near / m[0], halfHeight = near / m[5];
    return std::sqrt(near * near + halfWidth * halfWidth + halfHeight * halfHeight);
}

double DistanceToBox(const Point& p, double xMin, double xMax, double yMin, double yMax, double zMin, double zMax) {
    const double dx = std::max({xMin - p.x, 0.0, p.x - xMax});
    const double dy = std::max({yMin - p.y, 0.0, p.y - yMax});
    const double dz = std::max({zMin - p.z, 0.0, p.z - zMax});
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Culling hides nothing that would show only while the eye is inside the
// room and outside every solid, with nothing of either within reach of the
// near plane: a back face is then always behind a front face of its own
// box, and that face is drawn. The view is taken from before the frame's
// collision, so the eye can be in a wall for a frame; it is drawn uncut then.
bool EyeClearOfEveryBox() {
    const double reach = NearPlaneReach();
    if (reach <= 0) return false;
    const Point eye = {-cameraX, kEyeHeight, -cameraZ};
    if (!(reach < eye.x && eye.x < kRoomSize - reach && reach < eye.y && eye.y < kRoomHeight - reach &&
          reach < eye.z && eye.z < kRoomSize - reach))
        return false;
    for (const Solid& s : kSolids)
        if (DistanceToBox(eye, s.xMin, s.xMax, s.yMin, s.yMax, s.zMin, s.zMax) <= reach) return false;
    return true;
}

}  // namespace

void BuildLevelList() {
    if (!multitextureSupported) return;
    levelList = glGenLists(1);
    glNewList(levelList, GL_COMPILE);
    recordedFrontFace = kNoWinding;
    RecordRoom();
    RecordPortals();
    RecordMaze();
    glFrontFace(GL_CCW);
    windingsRecordedIn = levelList;
    // The particle and overlay passes rely on blending being on.
    glEnable(GL_BLEND);
    glEndList();
}

void DrawLevel() {
    const bool cull = levelList != 0 && levelList == windingsRecordedIn && EyeClearOfEveryBox();
    if (cull) glEnable(GL_CULL_FACE);
    glCallList(levelList);
    if (cull) glDisable(GL_CULL_FACE);
}
