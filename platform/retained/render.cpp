// Rendering a scene: lights are gathered from the whole hierarchy, then every visual is
// drawn. A mesh goes through back-face culling (in model space), lighting (flat per face or
// Gouraud per corner, in the quality both device and builder allow: ambient, diffuse and a
// highlight seen from the true eye position), clipping against the front and back planes,
// projection and filling. A shadow projects its caster's faces that face the light onto its
// plane, and fills them flat black just above it.
#include <algorithm>
#include <cmath>

#include "platform/retained/light.h"
#include "platform/retained/mesh_builder.h"
#include "platform/retained/rasterizer.h"
#include "platform/retained/shadow.h"
#include "platform/retained/viewport.h"

namespace retained::detail {
namespace {

// How far a shadow floats above its plane, in scene units: enough to win the depth test
// against lines drawn on the plane, too little to show through what stands on it.
constexpr float kShadowLift = 0.01f;

float IntegerOrRealPower(float base, float power) {
    if (power == std::floor(power) && power >= 0 && power <= 64) {
        float result = 1, square = base;
        for (int n = static_cast<int>(power); n > 0; n >>= 1) {
            if (n & 1) result *= square;
            square *= square;
        }
        return result;
    }
    return std::pow(base, power);
}

// Andrew's monotone chain: the indices of the hull's corners, in order around it.
void ConvexHull(std::vector<HullPoint>& points, std::vector<uint32_t>& hull) {
    hull.clear();
    std::sort(points.begin(), points.end(), [](const HullPoint& a, const HullPoint& b) {
        return a.u < b.u || (a.u == b.u && a.w < b.w);
    });
    auto turn = [&](uint32_t o, uint32_t a, const HullPoint& b) {
        const HullPoint& po = points[o];
        const HullPoint& pa = points[a];
        return (pa.u - po.u) * (b.w - po.w) - (pa.w - po.w) * (b.u - po.u);
    };
    std::vector<uint32_t>& chain = hull;  // positions in points, turned into indices below
    const size_t n = points.size();
    for (size_t pass = 0; pass < 2; ++pass) {
        const size_t floor = chain.size();
        for (size_t k = 0; k < n; ++k) {
            const size_t i = pass == 0 ? k : n - 1 - k;
            while (chain.size() >= floor + 2 &&
                   turn(chain[chain.size() - 2], chain.back(), points[i]) <= 0) {
                chain.pop_back();
            }
            chain.push_back(static_cast<uint32_t>(i));
        }
        chain.pop_back();  // the last point starts the other chain
    }
    for (uint32_t& entry : chain)
        entry = points[entry].index;
}

class SceneRenderer {
  public:
    SceneRenderer(DeviceImpl& device, const Projection& projection, FrameImpl& camera)
        : p_(projection), s_(device.Scratch()) {
        cameraWorld_ = camera.World();
        view_ = InverseAffine(cameraWorld_);
        deviceQuality_ = device.GetQuality();
        mono_ = device.ColorModel() == D3DCOLOR_MONO;
        const float shades = static_cast<float>(device.GetShades());
        rampSteps_ = shades > 1 ? shades - 1 : 0;
        target_ = {device.Pixels(), device.Depth(), device.Width(), p_.left,
                   p_.top,          p_.right,       p_.bottom};
        // The slopes x/z and y/z of the viewport's edges, for culling whole meshes.
        const float k = p_.field / p_.front;
        slopeLeft_ = (p_.left - p_.centerX) / p_.scaleX * k;
        slopeRight_ = (p_.right - p_.centerX) / p_.scaleX * k;
        slopeTop_ = (p_.centerY - p_.top) / p_.scaleY * k;
        slopeBottom_ = (p_.centerY - p_.bottom) / p_.scaleY * k;
    }

    void Render(FrameImpl& scene) {
        s_.lights.clear();
        ambient_ = {};
        const Matrix4 parentWorld = scene.Parent() ? scene.Parent()->World() : Matrix4::Identity();
        GatherLights(scene, parentWorld);
        DrawFrame(scene, parentWorld);
    }

  private:
    void GatherLights(FrameImpl& frame, const Matrix4& parentWorld) {
        const Matrix4 world = frame.Local() * parentWorld;
        for (LightImpl* light : frame.Lights()) {
            Vec3 color = light->Color();
            if (mono_) {  // the ramp model: a light is a grey intensity
                float grey = (color.x + color.y + color.z) / 3.0f;
                color = {grey, grey, grey};
            }
            if (light->Type() == D3DRMLIGHT_AMBIENT) {
                ambient_ = ambient_ + color;
                continue;
            }
            SceneLight scene;
            scene.type = light->Type();
            scene.color = color;
            scene.position = TransformPoint(world.Row(3), view_);
            scene.direction = Normalize(TransformVector(world.Row(2), view_));
            s_.lights.push_back(scene);
        }
        for (FrameImpl* child : frame.Children())
            GatherLights(*child, world);
    }

    void DrawFrame(FrameImpl& frame, const Matrix4& parentWorld) {
        const Matrix4 world = frame.Local() * parentWorld;
        for (const VisualEntry& entry : frame.Visuals()) {
            if (entry.mesh) {
                DrawMesh(*entry.mesh, world);
            } else if (entry.shadow) {
                DrawShadow(*entry.shadow, world);
            }
        }
        for (FrameImpl* child : frame.Children())
            DrawFrame(*child, world);
    }

    // True when the box cannot reach the view volume.
    bool OutsideView(const MeshGeometry& g, const Matrix4& toCamera) const {
        int outNear = 0, outFar = 0, outLeft = 0, outRight = 0, outTop = 0, outBottom = 0;
        for (int corner = 0; corner < 8; ++corner) {
            Vec3 v{corner & 1 ? g.boundsMax.x : g.boundsMin.x,
                   corner & 2 ? g.boundsMax.y : g.boundsMin.y,
                   corner & 4 ? g.boundsMax.z : g.boundsMin.z};
            Vec3 c = TransformPoint(v, toCamera);
            outNear += c.z < p_.front;
            outFar += c.z > p_.back;
            outLeft += c.x < slopeLeft_ * c.z;
            outRight += c.x > slopeRight_ * c.z;
            outTop += c.y > slopeTop_ * c.z;
            outBottom += c.y < slopeBottom_ * c.z;
        }
        return outNear == 8 || outFar == 8 || outLeft == 8 || outRight == 8 || outTop == 8 ||
               outBottom == 8;
    }

    void DrawMesh(MeshBuilderImpl& mesh, const Matrix4& world) {
        const MeshGeometry& g = mesh.Geometry();
        if (g.faces.empty()) return;
        const Matrix4 toCamera = world * view_;
        if (OutsideView(g, toCamera)) return;
        const Matrix4 toModel = InverseAffine(toCamera);
        const Vec3 eye = toModel.Row(3);  // the camera's origin in model space

        const D3DRMRENDERQUALITY quality = EffectiveQuality(deviceQuality_, mesh.Quality());
        const DWORD fill = quality & D3DRMFILL_MASK;
        const bool lit = (quality & D3DRMLIGHT_MASK) == D3DRMLIGHT_ON;
        const bool gouraud = lit && (quality & D3DRMSHADE_MASK) >= D3DRMSHADE_GOURAUD;
        if (lit) PrepareModelLights(toModel);
        eye_ = eye;

        auto& cam = s_.cameraVertices;
        cam.resize(g.vertices.size());
        for (size_t i = 0; i < g.vertices.size(); ++i)
            cam[i] = TransformPoint(g.vertices[i], toCamera);

        for (size_t f = 0; f < g.faces.size(); ++f) {
            const FaceRecord& face = g.faces[f];
            const uint32_t* corners = &g.cornerVertex[face.firstCorner];
            // Front faces are clockwise as seen: their normal points toward the eye.
            if (!(Dot(g.faceNormals[f], g.vertices[corners[0]] - eye) < 0)) continue;

            auto& polygon = s_.polygon;
            polygon.clear();
            const Material& m = face.material;
            uint32_t flatColor = 0;
            if (gouraud) {
                for (uint32_t c = 0; c < face.cornerCount; ++c) {
                    Vec3 color =
                        Shade(m, g.cornerNormals[face.firstCorner + c], g.vertices[corners[c]]);
                    polygon.push_back({cam[corners[c]], color.x, color.y, color.z});
                }
            } else {
                Vec3 color = lit ? Shade(m, g.faceNormals[f], g.vertices[corners[0]])
                                 : Vec3{m.r * 255.0f, m.g * 255.0f, m.b * 255.0f};
                flatColor = PackColor(color.x, color.y, color.z);
                for (uint32_t c = 0; c < face.cornerCount; ++c) {
                    polygon.push_back({cam[corners[c]], 0, 0, 0});
                }
            }
            DrawPolygon(fill, gouraud, flatColor);
        }
    }

    void PrepareModelLights(const Matrix4& toModel) {
        // Directions go into model space with the transpose of the normals' transform, so
        // dot products with model-space normals equal those in camera space for rotations
        // and uniform scales.
        auto& modelLights = s_.modelLights;
        modelLights.clear();
        const Matrix4 directionToModel = LinearPart(toModel);
        for (const SceneLight& light : s_.lights) {
            ModelLight m;
            m.type = light.type;
            m.color = light.color;
            m.toLight = Normalize(TransformVector(-light.direction, directionToModel));
            m.position = TransformPoint(light.position, toModel);
            modelLights.push_back(m);
        }
    }

    // The highlight: the light's mirror image about the normal, seen from the true direction
    // to the eye, in a lobe of the material's power, and fading with the cube of the light's
    // incidence cosine. The fading keeps the highlight a highlight: the game's sun stands 29
    // degrees above the board, so at the one camera that mirrors it in a disc's flat top
    // (n.l = 0.49 there) the whole top would otherwise shine white, whatever the colour of
    // the disc; with the weight (0.12) a black top stays dark, while bevels and rims turned
    // toward the light (n.l 0.8 to 1) keep their glint.
    static float Gloss(Vec3 n, Vec3 l, float nl, Vec3 toEye, float power) {
        const Vec3 mirrored = n * (2 * nl) - l;
        const float rv = Dot(mirrored, toEye);
        if (!(rv > 0)) return 0;
        return nl * nl * nl * IntegerOrRealPower(rv, power);
    }

    float Ramp(float intensity) const {
        float clamped = std::clamp(intensity, 0.0f, 1.0f);
        if (rampSteps_ <= 0) return clamped > 0 ? 1.0f : 0.0f;
        return std::round(clamped * rampSteps_) / rampSteps_;
    }

    // c = E + C (A + sum L max(0, n.l)) + S sum L Gloss(n, l, v, p), in 0..255 per channel.
    // position is where the colour is taken: a corner for Gouraud, the first corner of the
    // face for flat shading.
    Vec3 Shade(const Material& m, Vec3 n, Vec3 position) const {
        Vec3 diffuse = ambient_, specular{};
        const bool wantSpecular = m.specular.x > 0 || m.specular.y > 0 || m.specular.z > 0;
        const Vec3 toEye = wantSpecular ? Normalize(eye_ - position) : Vec3{};
        for (const ModelLight& light : s_.modelLights) {
            Vec3 l = light.toLight;
            // Point and spot lights shine from their frame's origin (spot cones are not
            // modelled); a parallel point light shines like a directional one.
            if (light.type == D3DRMLIGHT_POINT || light.type == D3DRMLIGHT_SPOT) {
                l = Normalize(light.position - position);
            }
            const float nl = Dot(n, l);
            if (nl <= 0) continue;
            diffuse = diffuse + light.color * nl;
            if (wantSpecular) specular = specular + light.color * Gloss(n, l, nl, toEye, m.power);
        }
        if (mono_) {
            float d = Ramp(diffuse.x), s = Ramp(specular.x);
            diffuse = {d, d, d};
            specular = {s, s, s};
        }
        auto channel = [](float e, float c, float d, float s, float sp) {
            return std::clamp(e + c * d + s * sp, 0.0f, 1.0f) * 255.0f;
        };
        return {channel(m.emissive.x, m.r, diffuse.x, m.specular.x, specular.x),
                channel(m.emissive.y, m.g, diffuse.y, m.specular.y, specular.y),
                channel(m.emissive.z, m.b, diffuse.z, m.specular.z, specular.z)};
    }

    // Keeps the part of the polygon with sign * (z - plane) >= 0.
    static void ClipAgainst(std::vector<ClipVertex>& in, std::vector<ClipVertex>& out, float plane,
                            float sign) {
        out.clear();
        const size_t n = in.size();
        for (size_t i = 0; i < n; ++i) {
            const ClipVertex& a = in[i];
            const ClipVertex& b = in[(i + 1) % n];
            const float da = sign * (a.camera.z - plane), db = sign * (b.camera.z - plane);
            if (da >= 0) out.push_back(a);
            if ((da >= 0) != (db >= 0)) {
                const float t = da / (da - db);
                out.push_back({a.camera + (b.camera - a.camera) * t, a.r + (b.r - a.r) * t,
                               a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t});
            }
        }
        in.swap(out);
    }

    void DrawPolygon(DWORD fill, bool smooth, uint32_t flatColor, bool convex = false) {
        auto& polygon = s_.polygon;
        bool inside = true;
        for (const ClipVertex& v : polygon) {
            if (v.camera.z < p_.front || v.camera.z > p_.back) {
                inside = false;
                break;
            }
        }
        if (!inside) {
            ClipAgainst(polygon, s_.clipTemp, p_.front, 1.0f);
            if (polygon.size() >= 3) ClipAgainst(polygon, s_.clipTemp, p_.back, -1.0f);
            if (polygon.size() < 3) return;
        }
        auto& screen = s_.screen;
        screen.clear();
        for (const ClipVertex& v : polygon) {
            screen.push_back(
                {p_.ScreenX(v.camera), p_.ScreenY(v.camera), p_.Depth(v.camera.z), v.r, v.g, v.b});
        }
        switch (fill) {
            case D3DRMFILL_SOLID:
                if (convex) {
                    FillConvexPolygon(target_, screen.data(), screen.size(), flatColor);
                    break;
                }
                for (size_t i = 1; i + 1 < screen.size(); ++i) {
                    FillTriangle(target_, screen[0], screen[i], screen[i + 1], smooth, flatColor);
                }
                break;
            case D3DRMFILL_WIREFRAME:
                for (size_t i = 0; i < screen.size(); ++i) {
                    const ScreenVertex& a = screen[i];
                    const ScreenVertex& b = screen[(i + 1) % screen.size()];
                    DrawLine(target_, a, b, smooth ? PackColor(a.r, a.g, a.b) : flatColor);
                }
                break;
            default:  // points
                for (const ScreenVertex& v : screen) {
                    DrawPoint(target_, v, smooth ? PackColor(v.r, v.g, v.b) : flatColor);
                }
                break;
        }
    }

    void DrawShadow(ShadowImpl& shadow, const Matrix4& world) {
        LightImpl* light = shadow.Light();
        FrameImpl* lightFrame = light->Frame();
        if (!lightFrame || light->Type() == D3DRMLIGHT_AMBIENT) return;
        const MeshGeometry& g = shadow.Caster()->Geometry();
        if (g.faces.empty()) return;
        const Matrix4 lightWorld = lightFrame->World();
        const Vec3 along = Normalize(lightWorld.Row(2));  // the direction the light travels
        const Vec3 source = lightWorld.Row(3);
        const bool directional =
            light->Type() == D3DRMLIGHT_DIRECTIONAL || light->Type() == D3DRMLIGHT_PARALLELPOINT;
        const Vec3 point = shadow.Point(), normal = shadow.Normal();

        // The side of the plane the light comes from gets the lift.
        float lightSide;
        if (directional) {
            const float facing = Dot(along, normal);
            if (std::fabs(facing) < 1e-6f) return;  // light grazing the plane: no shadow
            lightSide = facing > 0 ? -1.0f : 1.0f;
        } else {
            const float height = Dot(source - point, normal);
            if (std::fabs(height) < 1e-6f) return;
            lightSide = height > 0 ? 1.0f : -1.0f;
        }
        const Vec3 lift = normal * (kShadowLift * lightSide);

        auto& projected = s_.shadowVertices;
        projected.resize(g.vertices.size());
        auto& usable = s_.vertexState;
        usable.assign(g.vertices.size(), 0);
        // Axes of the plane, for the outline of a convex caster.
        const Vec3 axisU =
            Normalize(Cross(normal, std::fabs(normal.x) < 0.9f ? Vec3{1, 0, 0} : Vec3{0, 1, 0}));
        const Vec3 axisW = Cross(normal, axisU);
        auto& flat = s_.hullPoints;
        flat.clear();
        bool allUsable = true;
        for (size_t i = 0; i < g.vertices.size(); ++i) {
            const Vec3 w = TransformPoint(g.vertices[i], world);
            Vec3 onPlane;
            if (directional) {
                onPlane = w - along * (Dot(w - point, normal) / Dot(along, normal));
            } else {
                const Vec3 ray = w - source;
                const float denominator = Dot(ray, normal);
                // Only points between the light and beyond it toward the plane cast a shadow.
                if (std::fabs(denominator) < 1e-6f) continue;
                const float t = Dot(point - source, normal) / denominator;
                if (t < 1.0f) continue;
                onPlane = source + ray * t;
            }
            projected[i] = TransformPoint(onPlane + lift, view_);
            usable[i] = 1;
            flat.push_back({Dot(onPlane, axisU), Dot(onPlane, axisW), static_cast<uint32_t>(i)});
        }
        allUsable = flat.size() == g.vertices.size();

        if (g.convex && allUsable) {
            // The shadow of a convex shape is the hull of its projected corners: one
            // polygon instead of every face turned to the light, with no overdraw.
            ConvexHull(flat, s_.hull);
            auto& polygon = s_.polygon;
            polygon.clear();
            for (uint32_t index : s_.hull)
                polygon.push_back({projected[index], 0, 0, 0});
            if (polygon.size() >= 3) DrawPolygon(D3DRMFILL_SOLID, false, 0, true);
            return;
        }

        const Matrix4 normalToWorld = Transpose3(InverseAffine(LinearPart(world)));
        const uint32_t black = 0;
        for (size_t f = 0; f < g.faces.size(); ++f) {
            const FaceRecord& face = g.faces[f];
            const uint32_t* corners = &g.cornerVertex[face.firstCorner];
            const Vec3 n = TransformVector(g.faceNormals[f], normalToWorld);
            const Vec3 towardLight =
                directional ? -along : source - TransformPoint(g.vertices[corners[0]], world);
            // Faces turned toward the light outline the shadow; the others fall inside it.
            if (!(Dot(n, towardLight) > 0)) continue;
            auto& polygon = s_.polygon;
            polygon.clear();
            bool complete = true;
            for (uint32_t c = 0; c < face.cornerCount && complete; ++c) {
                complete = usable[corners[c]] != 0;
                polygon.push_back({projected[corners[c]], 0, 0, 0});
            }
            if (complete) DrawPolygon(D3DRMFILL_SOLID, false, black);
        }
    }

    const Projection& p_;
    RenderScratch& s_;
    Matrix4 cameraWorld_, view_;
    D3DRMRENDERQUALITY deviceQuality_;
    bool mono_;
    float rampSteps_;
    RasterTarget target_;
    float slopeLeft_, slopeRight_, slopeTop_, slopeBottom_;
    Vec3 ambient_;
    Vec3 eye_;  // the camera's origin in the model space of the mesh being drawn
};

}  // namespace

void RenderScene(DeviceImpl& device, const Projection& projection, FrameImpl& camera,
                 FrameImpl& scene) {
    SceneRenderer(device, projection, camera).Render(scene);
}

}  // namespace retained::detail
