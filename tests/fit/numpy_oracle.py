#!/usr/bin/python3
"""Checks fit_report's numbers against NumPy's least squares on the same points.

numpy_oracle.py FIT_REPORT CASE_FILE SET: fits SET of the case file by similarity2d and affine2d
with numpy.linalg.lstsq, on coordinates about each side's first point with the design's columns
divided by their largest value (else lstsq itself keeps fewer digits than are compared), the
covariance σ0²·(AᵀA)⁻¹ from the design's SVD; and compares every value and standard error with
fit_report's within 1e-9 relative (of at least one unit). Exits 77 (skipped) without NumPy.
"""
import math
import subprocess
import sys

try:
    import numpy as np
except ImportError:
    print("NumPy is missing: skipped")
    sys.exit(77)

RHO = 648000 / math.pi  # arc-seconds per radian


def points(case_file, name):
    rows = [line.split("|") for line in open(case_file, encoding="utf-8")]
    rows = [[f.strip() for f in r] for r in rows if len(r) > 4 and r[0].strip() == "point"]
    return np.array([[float(v) for v in r[3].split()[:2] + r[4].split()[:2]]
                     for r in rows if r[1] == name])


def least_squares(design, observed):
    """The solution, the cofactor matrix (AᵀA)⁻¹ and the sum of squared residuals."""
    columns = np.abs(design).max(axis=0)
    design = design / columns
    solution, _, _, _ = np.linalg.lstsq(design, observed, rcond=None)
    residuals = observed - design @ solution
    _, s, vt = np.linalg.svd(design, full_matrices=False)
    cofactor = (vt.T / s**2) @ vt
    return solution / columns, cofactor / np.outer(columns, columns), residuals @ residuals


def similarity(p):
    # x′ = x0 + P x − Q y, y′ = y0 + Q x + P y, about each side's first point.
    x, y, xt, yt = (p[:, i] for i in range(4))
    x1, y1 = x[0], y[0]
    u, v = x - x1, y - y1
    one, zero = np.ones_like(u), np.zeros_like(u)
    design = np.vstack([np.column_stack([one, zero, u, -v]), np.column_stack([zero, one, v, u])])
    observed = np.concatenate([xt - xt[0], yt - yt[0]])
    (a0, b0, P, Q), cofactor, squares = least_squares(design, observed)
    sigma0 = math.sqrt(squares / (2 * len(x) - 4))
    s = math.hypot(P, Q)
    values = [xt[0] + a0 - P * x1 + Q * y1, yt[0] + b0 - Q * x1 - P * y1,
              math.atan2(Q, P) * RHO, (s - 1) * 1e6]
    jacobian = np.array([[1, 0, -x1, y1], [0, 1, -y1, -x1],
                         [0, 0, -Q / s**2 * RHO, P / s**2 * RHO], [0, 0, P / s * 1e6, Q / s * 1e6]])
    covariance = sigma0**2 * jacobian @ cofactor @ jacobian.T
    return ["dx", "dy", "rotation", "scale"], values, np.diag(covariance), sigma0


def affine(p):
    # x′ = x0 + a x + b y and y′ = y0 + c x + d y apart, with one σ0 from both.
    x, y, xt, yt = (p[:, i] for i in range(4))
    x1, y1 = x[0], y[0]
    design = np.column_stack([np.ones_like(x), x - x1, y - y1])
    jacobian = np.array([[1, -x1, -y1], [0, 1, 0], [0, 0, 1]])
    values, variances, squares = [], [], 0
    for target in (xt, yt):
        (t, a, b), cofactor, half = least_squares(design, target - target[0])
        values += [target[0] + t - a * x1 - b * y1, a, b]
        variances += list(np.diag(jacobian @ cofactor @ jacobian.T))
        squares += half
    sigma0 = math.sqrt(squares / (2 * len(x) - 6))
    return ["x0", "a", "b", "y0", "c", "d"], values, sigma0**2 * np.array(variances), sigma0


def main():
    report, case_file, name = sys.argv[1:4]
    p = points(case_file, name)
    failures = 0
    for model, oracle in (("similarity2d", similarity), ("affine2d", affine)):
        lines = subprocess.run([report, model, name], capture_output=True, text=True,
                               check=True).stdout.split("\n")
        fitted = {w[0]: (float(w[1]), float(w[2])) for w in (l.split() for l in lines) if w}
        names, values, variances, sigma0 = oracle(p)
        expected = {n: (values[i], math.sqrt(variances[i])) for i, n in enumerate(names)}
        expected["sigma0"] = (sigma0, 0.0)
        for key, (value, error) in expected.items():
            got_value, got_error = fitted[key]
            for what, a, b in (("value", got_value, value), ("error", got_error, error)):
                ok = abs(a - b) <= 1e-9 * max(abs(b), 1.0)
                failures += not ok
                print(f"{model} {key} {what}: fit {a:.15g} numpy {b:.15g}{'' if ok else '  FAIL'}")
    print(f"{failures} failed")
    sys.exit(1 if failures else 0)


main()
