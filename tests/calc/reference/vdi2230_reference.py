#!/usr/bin/env python3
"""Reference computation of bolted joints after VDI 2230, written apart from
the C++ code, straight from the formulas of the guideline in the form this
program uses them. It writes tests/data/calc/reference_joints.txt: for every
joint its inputs and the expected results, which calc's tests compare with
CalculateJoint to 0.1 %.

Run: python3 tests/calc/reference/vdi2230_reference.py > tests/data/calc/reference_joints.txt
Only joints that calculate without a fatal message belong here; material
values over temperature use the fallback formulas over the 20 degC value.
"""
import math

PI = math.pi

# ISO 965-1, tolerance Td of grade 6 by pitch.
TD6 = {0.2: .056, 0.25: .067, 0.3: .075, 0.35: .085, 0.4: .095, 0.45: .1, 0.5: .106, 0.6: .125,
       0.7: .14, 0.75: .14, 0.8: .15, 1: .18, 1.25: .212, 1.5: .236, 1.75: .265, 2: .28, 2.5: .335,
       3: .375, 3.5: .425, 4: .475, 4.5: .5, 5: .53, 5.5: .56, 6: .6}
# ISO 965-1 diameter bands (upper limit, geometric mean used).
BANDS = [(2.8, 2.05), (5.6, 3.96), (11.2, 7.92), (22.4, 15.84), (45, 31.75), (90, 63.64),
         (180, 127.28), (355, 252.78)]


def td(P):
    for p, v in TD6.items():
        if abs(p - P) < 1e-9:
            return v
    return 0.18 * P ** (2 / 3) - 0.00315 / math.sqrt(P)


def td2(d, P):
    dm = d
    lo = 1.4
    for hi, mean in BANDS:
        if lo < d <= hi:
            dm = mean
        lo = hi
    return 0.09 * P ** 0.4 * dm ** 0.1


def ring_moment(D, d):
    if d <= 0:
        return PI / 64 * D ** 4
    return 0 if D <= d else PI / 64 * (D ** 4 - d ** 4)


def yield_at(re20, T):
    return (1.018 - T / 1120) * re20


def modulus_at(e20, T):
    a = e20 / 72.5
    return e20 * (a - T) / (a - 20) if a > 200 else e20


DEFAULTS = {
    'd': 12, 'P': 1.75, 'HeadType': 1, 'BoltType': 1, 'b': 26, 'dK': 18, 'dw': 17,
    'sections': [(60, 12, 0)], 'ToleranceClass': 2, 'D2D3Choice': 0,
    'plates': [dict(De=80, Di=13, L=42, E=210000, pmax=700, alphaT=0, Re=300)],
    'JointKind': 1, 'fZ': 0.011, 'FAmax': 24900, 'FAmin': 0, 'FQ': 0, 'FKreq': 1000,
    'Pos1': 1, 'Pos2': 2, 'n1': 0.3, 'n2': 0.3, 'EnduranceChoice': 1, 'AlphaAChoice': 1,
    'muGmin': 0.14, 'muGmax': 0.14, 'muKmin': 0.1, 'muKmax': 0.1, 'muTr': 0.12,
    'nu': 0.9, 'alphaA': 1.6, 'ktau': 0.5, 'DriveSide': 1,
    'NutType': 1, 'dwNut': 0, 'm': 0, 'dNut': 12,
    'Rp02': 1080, 'Rm': 1200, 'betaB': 0.577, 'E': 206000, 'alphaTBolt': 0, 'betaBVdi': 0.577,
    'RmM': 500, 'ReM': 300, 'betaM': 0.6, 'pGNut': 700, 'EM': 206000, 'betaMVdi': 0.6, 'OwnNut': 0,
    'T0': 20, 'TWork': 20, 'Edition': 2, 'tg': 20,
    'ExzCode': 1, 'SeamPart': 1, 'a': 0, 's': 0, 'u': 0, 'IBT': 1000, 'AD': 100,
    'IBers': 0, 'IBersPrime': 0,
}

# Input name of this script -> field of the joint records.
FIELDS = {
    'd': 'Gewinde.d', 'P': 'Gewinde.P', 'HeadType': 'Schraube.HeadType', 'BoltType': 'Schraube.BoltType',
    'b': 'Schraube.b', 'dK': 'Schraube.dK', 'dw': 'Schraube.dw', 'ToleranceClass': 'Schraube.ToleranceClass',
    'D2D3Choice': 'CalcOptions.D2D3Choice', 'JointKind': 'Verbindung.JointKind', 'fZ': 'Verbindung.fZ',
    'FAmax': 'Last.FAmax', 'FAmin': 'Last.FAmin', 'FQ': 'Last.FQ', 'FKreq': 'Last.FKreq',
    'Pos1': 'Last.LoadIntroPos1', 'Pos2': 'Last.LoadIntroPos2', 'n1': 'Last.n1', 'n2': 'Last.n2',
    'EnduranceChoice': 'Last.EnduranceChoice', 'AlphaAChoice': 'Last.AlphaAChoice',
    'muGmin': 'Reibung.muGmin', 'muGmax': 'Reibung.muGmax', 'muKmin': 'Reibung.muKmin',
    'muKmax': 'Reibung.muKmax', 'muTr': 'Reibung.muTr', 'nu': 'Montage.nu', 'alphaA': 'Montage.alphaA',
    'ktau': 'Montage.ktau', 'DriveSide': 'Montage.DriveSide', 'NutType': 'Mutter.NutType',
    'dwNut': 'Mutter.dwNut', 'm': 'Mutter.m', 'dNut': 'Mutter.dNut', 'Rp02': 'MatBolt.Rp02',
    'Rm': 'MatBolt.Rm', 'betaB': 'MatBolt.betaB', 'E': 'MatBolt.E', 'alphaTBolt': 'MatBolt.alphaTBolt',
    'betaBVdi': 'MatBolt.betaBVdi', 'RmM': 'MatMutter.RmM', 'ReM': 'MatMutter.ReM',
    'betaM': 'MatMutter.betaM', 'pGNut': 'MatMutter.pGNut', 'EM': 'MatMutter.EM',
    'betaMVdi': 'MatMutter.betaMVdi', 'OwnNut': 'MatMutter.OwnNutMaterial', 'T0': 'Temperatur.T0',
    'TWork': 'Temperatur.TWork', 'Edition': 'CalcOptions.VdiEdition', 'tg': 'Sackloch.tg',
    'ExzCode': 'ExzKraftangriff.ExzCode', 'SeamPart': 'ExzKraftangriff.SeamPart',
    'a': 'ExzKraftangriff.a', 's': 'ExzKraftangriff.s', 'u': 'ExzKraftangriff.u',
    'IBT': 'ExzKraftangriff.IBT', 'AD': 'ExzKraftangriff.AD', 'IBers': 'ExzKraftangriff.IBers',
    'IBersPrime': 'ExzKraftangriff.IBersPrime',
}


def substitute_area(lK, dw, Di, De):
    ring = PI / 4 * (De ** 2 - Di ** 2)
    if Di > dw or dw > De:
        return ring, De
    DA = De if De <= dw + lK else dw + lK
    x = (lK * dw / DA ** 2) ** (1 / 3)
    A = PI / 4 * (dw ** 2 - Di ** 2) + PI / 8 * dw * (DA - dw) * ((x + 1) ** 2 - 1)
    if ring < A:
        return ring, De
    return A, DA


def calculate(j):
    r = {}
    d, P, E = j['d'], j['P'], j['E']
    ed86 = j['Edition'] == 1
    nut = j['JointKind'] == 2
    hot = j['TWork'] != j['T0']
    dT = j['TWork'] - j['T0']
    plates = j['plates']
    n = len(plates)
    lK = sum(p['L'] for p in plates)
    dlPT = sum(p['L'] * p['alphaT'] * dT for p in plates) if hot else 0
    muGmax = j['muGmax'] if j['muGmin'] <= j['muGmax'] else j['muGmin']
    muKmax = j['muKmax'] if j['muKmin'] <= j['muKmax'] else j['muKmin']
    alphaA = max(1, j['alphaA'])

    # Bolt: length, thread length, sections.
    secs = j['sections']
    l = sum(s[0] for s in secs)
    b = j['b']
    if j['BoltType'] == 1:
        b = min(l - 2 * P, b)
    dsum = bsum = 0
    Dmin, Amin, diAtDmin = 1e6, 1e6, 0
    for i, (ls, ds_, dis) in enumerate(secs):
        A = PI / 4 * (ds_ ** 2 - dis ** 2)
        if Dmin > ds_:
            diAtDmin = dis
        Dmin, Amin = min(Dmin, ds_), min(Amin, A)
        length = ls - b if i == len(secs) - 1 else ls
        dsum += length / (E * A)
        bsum += length / (E * ring_moment(ds_, dis))
    di_last = secs[-1][2]

    # Thread tolerances (allowance classes 2..7) and diameters used.
    tc = j['ToleranceClass']
    Td, Td2 = td(P), td2(d, P)
    if tc in (3, 5, 7):
        Td, Td2 = Td * .63, Td2 * .63
    es = 0 if tc in (2, 3) else (-(0.015 + 0.011 * P) if tc in (4, 5) else -(0.05 + 0.011 * P))
    d2nom, d3nom = d - 0.649519 * P, d - 1.22687 * P
    d2max, d3max = d2nom + es, d3nom + es
    d2min = d2max - Td2
    d3min = d2min - 0.616025 * P
    dmin = d + es - Td
    ch = j['D2D3Choice']
    d2, d3 = {0: (d2max, d3max), 1: (d2min, d3min), 2: ((d2max + d2min) / 2, (d3max + d3min) / 2),
              3: (d2nom, d3nom)}[ch]
    As = PI / 4 * ((d2 + d3) / 2) ** 2
    AN = PI / 4 * d ** 2
    Ad3 = PI / 4 * (d3 ** 2 - di_last ** 2)
    ds = math.sqrt(4 * As / PI)
    if Dmin > ds:
        diAtDmin = di_last
    Dmin = min(ds, Dmin)
    Amin = min(PI / 4 * (ds ** 2 - di_last ** 2), Amin)
    r['Schraube.As'] = As
    r['Schraube.Amin'] = Amin

    # Friction diameters.
    bearing = min(plates[0]['De'], j['dw']) + plates[0]['Di']
    DKm = bearing / math.sqrt(2) if j['HeadType'] in (3, 4, 5) else bearing / 2
    DKmNut = (min(plates[-1]['De'], j['dwNut']) + plates[-1]['Di']) / 2 if nut else 0
    Dkm = DKmNut if nut and j['DriveSide'] == 2 else DKm

    # Preload and torque.
    k = 2.0 if ed86 else 1.5
    Rp, Rm = j['Rp02'], j['Rm']

    def preload(nu, muG):
        t = (1.155 * muG + P / (PI * d2)) * k * Dmin * d2 / (Dmin ** 2 + diAtDmin ** 2)
        return nu * Amin * Rp / math.sqrt(1 + 3 * t * t)

    phi = math.atan(P / (PI * d2))

    def torque(F, muG, muK):
        return F * (d2 / 2 * math.tan(phi + math.atan(1.155 * muG)) + Dkm / 2 * muK) * 0.001

    FM02 = preload(1, j['muGmin'])
    MA02 = torque(FM02, j['muGmin'], j['muKmin'])
    nu = j['nu']
    FM = preload(nu, j['muGmin'])
    FMmin = preload(nu, muGmax)
    MA = torque(FM, j['muGmin'], j['muKmin'])
    MAmax2 = torque(FMmin, muGmax, muKmax)
    MAmin = (FM / alphaA / FMmin) * MAmax2
    r.update({'Last.FM02': FM02, 'Last.MA02': MA02, 'Last.FM': FM, 'Last.FMmin': FMmin,
              'Last.MA': MA, 'Last.MAmax2': MAmax2, 'Last.MAmin': MAmin})
    r['Last.MLoose'] = FM * (d2 / 2 * math.tan(math.atan(1.155 * j['muGmin']) - phi)
                             + Dkm / 2 * j['muKmin']) * 0.001
    lGew = b + lK - l

    # Bolt resilience.
    dG = 0.5 * d / (E * Ad3)
    dGew = lGew / (E * Ad3)
    if ed86:
        dSK = dM = 0.4 * d / (E * AN)
    else:
        bore = PI / 4 * di_last ** 2 if plates[-1]['Di'] > 0 else 0
        dSK = (0.4 if j['HeadType'] == 1 else 0.5) * d / (E * (AN - bore))
        dM = 0.4 * d / (E * AN) if nut else 0.33 * d / (j['EM'] * AN)
    deltaS = dsum + dG + dM + dGew + dSK
    deltaST = E * deltaS / modulus_at(E, j['TWork']) if hot else 0
    betaS = bsum + 0.5 * d / (E * ring_moment(d3, di_last)) + lGew / (E * ring_moment(d3, di_last)) \
        + 0.4 * d / (E * ring_moment(d, di_last))
    lers = ring_moment(d3, 0) * E * betaS
    r['Schraube.deltaS'] = deltaS

    # Clamped parts.
    dwu = min(j['dwNut'], j['dw']) if nut else j['dw']
    De = [j['dw']] + [p['De'] for p in plates] + [j['dwNut'] if nut else plates[-1]['De']]
    Di = [0] + [p['Di'] for p in plates] + [plates[-1]['Di']]
    DAeff = [j['dw']] + [0] * n + [De[n + 1]]
    Aers = [0] * (n + 2)
    dP = [0] * (n + 2)
    dPsum = dPT = bPsum = 0
    for i in range(1, n + 1):
        p = plates[i - 1]
        Aers[i], DA = substitute_area(lK, dwu, p['Di'], p['De'])
        DAeff[i] = math.sqrt(p['Di'] ** 2 + 4 * Aers[i] / PI)
        dP[i] = p['L'] / (p['E'] * Aers[i])
        dPsum += dP[i]
        if hot:
            dPT += p['L'] / (modulus_at(p['E'], j['TWork']) * Aers[i])
        if j['ExzCode'] != 1 and i in (j['SeamPart'], j['SeamPart'] + 1):
            bPsum += p['L'] / (p['E'] * j['IBersPrime'])
        else:
            bPsum += p['L'] / (p['E'] * ring_moment(DA, p['Di']))
    if not ed86:
        if n > 1:
            DAeff[1] = min(DAeff[1], j['dw'] + 1.6 * plates[0]['L'])
        if nut and n > 1 and j['dwNut'] > 0:
            DAeff[n] = min(DAeff[n], j['dwNut'] + 1.6 * plates[-1]['L'])
    p1, p2 = j['Pos1'], j['Pos2']
    dn1 = 0 if p1 > n else sum(dP[i] * ((1 - j['n1']) if i == p1 else 1) for i in range(1, p1 + 1))
    dn2 = 0 if p2 > n else sum(dP[i] * ((1 - j['n2']) if i == p2 else 1) for i in range(p2, n + 1))
    PhiK = dPsum / (deltaS + dPsum)
    nLoad = 1 - (dn1 + dn2) / dPsum
    Phi = PhiK * nLoad
    FZ = j['fZ'] / (deltaS + dPsum)
    r.update({'Klemmstuecke.deltaPSum': dPsum, 'CalcOptions.PhiK': PhiK, 'CalcOptions.nLoad': nLoad,
              'CalcOptions.Phi': Phi, 'Last.FZ': FZ})

    # Temperature.
    if hot:
        RpT = yield_at(Rp, j['TWork'])
        dlST = lK * j['alphaTBolt'] * dT
        FMT = FM - (dlST - dlPT) / (deltaST + dPT)
    else:
        RpT, FMT = Rp, FM
    r['Temperatur.FMT'] = FMT
    FMp = max(FMT, FM)
    Rp_ = min(Rp, RpT)

    # Service forces.
    FAmax, FAmin = j['FAmax'], j['FAmin']
    FMreq = (1 - Phi) * FAmax + j['FKreq'] + FZ
    if FAmin < 0:
        FMreq = max(FMreq, j['FKreq'] - Phi * FAmin + FZ)
    FMreqMax = FMreq * alphaA
    FSAmax, FSAmin = Phi * FAmax, Phi * FAmin
    FPAmax, FPAmin = FAmax - FSAmax, FAmin - FSAmin
    FMq = min(FMT, FM) / alphaA
    FKRo, FKRu = FMq - FZ - FPAmax, FMq - FZ - FPAmin
    FVmax = FMp - FZ
    F02min, Fm = Rp * Amin, Rm * Amin
    FSmax = FMp + FSAmax
    r.update({'Last.FMreq': FMreq, 'Last.FMreqMax': FMreqMax, 'Last.FSAmax': FSAmax,
              'Last.FKRo': FKRo, 'Last.FKRu': FKRu, 'Last.FSmax': FSmax})

    # Surface pressure.
    FSAp = max(FSAmax, 0)
    SPmin = 1000
    for i in range(1, n + 1):
        Ao = PI / 4 * (min(DAeff[i - 1], DAeff[i]) ** 2 - max(Di[i - 1], Di[i]) ** 2)
        Au = PI / 4 * (min(DAeff[i], DAeff[i + 1]) ** 2 - max(Di[i], Di[i + 1]) ** 2)
        if i == p1:
            p = max((FMp + FSAp) / Ao, FMp / Au)
        elif i == p2:
            p = max((FMp + FSAp) / Au, FMp / Ao)
        elif p1 < i <= p2 or (p1 == n + 1 and i <= p2):
            p = FMp / min(Au, Ao)
        else:
            p = (FMp + FSAp) / min(Au, Ao)
        r['Klemmstuecke.pPart[%d]' % i] = p
        pl = plates[i - 1]
        pG = pl['pmax']
        if hot:
            pG = min(pG, yield_at(pl['Re'], j['TWork']) * pl['pmax'] / pl['Re'] if pl['Re'] else pl['pmax'])
        SPmin = min(SPmin, pG / p)
    if nut and (j['NutType'] == 4 or j['OwnNut']):
        A = PI / 4 * (min(j['dwNut'], plates[-1]['De']) ** 2 - max(d, plates[-1]['Di']) ** 2)
        SPmin = min(SPmin, j['pGNut'] / (FMp + FSAmax) * A)

    # Fatigue, torsion.
    FSm = FM + (FSAmax + FSAmin) / 2
    ec = j['EnduranceChoice']
    if ec == 1:
        sASV = 0.75 * (180 / d + 52) if ed86 else 0.85 * (150 / d + 45)
    else:
        sASV = 0.75 * (180 / d + 52) * (2 - FVmax / F02min) if ed86 else 0.85 * (150 / d + 45) * (2 - FSm / F02min)
    sA = (FSAmax - FSAmin) / (2 * (Ad3 if ed86 else As))
    sMax = (FMp + FSAmax) / Amin
    Wp = PI / 16 * Dmin ** 3 if diAtDmin <= 0 else PI / 16 * (Dmin ** 4 - diAtDmin ** 4) / Dmin
    MG = FM * d2 / 2 * (P / (PI * d2) + 1.155 * j['muGmin']) * 0.001
    tau = MG * 1000 / Wp
    sRed = math.sqrt(sMax ** 2 + 3 * (j['ktau'] * tau) ** 2)
    r.update({'Last.sigmaASV': sASV, 'Last.sigmaA': sA, 'Last.tau': tau})

    # Engaged thread.
    MEng = min(j['m'], b - lGew) if nut else b - lGew
    strip = (not nut) or j['NutType'] == 4 or j['OwnNut']
    if strip:
        EI = 0.015 + 0.011 * P if False else 0  # nut class 6H
        TD1 = 0.433 * P - 0.19 * P ** 1.22 if P < 1 else 0.23 * P ** 0.7
        TD2 = 0.1188 * P ** 0.4 * d ** 0.1
        D2max = d - 0.649519 * P + EI + TD2
        D1min = d - 1.0825318 * P + EI
        D1max = D1min + TD1
        tauBS, tauBM = 1.2 * j['betaB'] * Rm, j['RmM'] * j['betaM']
        Ftau = 1.2 * Fm * (1 / tauBM + 1 / tauBS)
        shareB = tauBM / (tauBS + tauBM)
        dTau = d2 + math.sqrt(3) * P * (0.5 - shareB)
        mminRm = Ftau / (PI * dTau)
        mminRm += 0.57735 * (D2max - d2min) * mminRm / P
        A = MEng * PI * dTau
        tauB = (FSAmax + FM) / (shareB * A)
        SmRm = MEng / mminRm
        StauB = Rm * j['betaB'] / tauB
        tBM, tBS = j['RmM'] * j['betaMVdi'], Rm * j['betaBVdi']
        Rs = (P / 2 + (dmin - D2max) * 0.57735) * dmin / ((P / 2 + (d2min - D1max) * 0.57735) * D1min) * tBM / tBS
        C3 = 1.296 * Rs ** 3 - 2.896 * Rs ** 2 + 1.769 * Rs + 0.728 if Rs < 1 else 0.897
        meff = 1.2 * Rm * Amin * P / (C3 * tBM * (P / 2 + (dmin - D2max) * 0.57735) * PI * dmin) + 0.8 * P
        SmRmVdi = MEng / meff
        SmFSVdi = SmRmVdi * Fm / FSmax
        r.update({'VdiEngage.Rs': Rs, 'VdiEngage.meffMin': meff, 'Stress.mminRm': mminRm,
                  'Safety.SmRmSafe': min(SmRm, SmRmVdi), 'Safety.SmFSSafe': min(StauB, SmFSVdi)})

    # Eccentric loading.
    sAb = None
    if j['ExzCode'] == 2:
        i = j['SeamPart']
        jj = i if (Aers[i] <= Aers[i + 1] or i >= n) else i + 1
        AS = Aers[jj]
        FAo, FAu = FAmax, FAmin
        FAab = (j['a'] - j['s']) * j['u'] / (j['IBT'] / j['AD'] + j['s'] * j['u']) * FAo
        dPPP = (j['s'] ** 2 * AS / j['IBers'] + 1) * dPsum
        dPP = (j['a'] * j['s'] * AS / j['IBers'] + 1) * dPsum
        PhiEn = nLoad * dPP / (deltaS + dPPP)
        W = PI / 32 * d3 ** 3

        def sab(F):
            return (bPsum / betaS) * ((j['s'] / j['a']) * PhiEn + 1) * F * j['a'] / W + F * PhiEn / Ad3
        so, su = sab(FAo), sab(FAu)
        sAb = (so - su) / 2
        if FSAmax / Amin < so:
            sMax = FMp / Amin + so
            sRed = math.sqrt(sMax ** 2 + 3 * (j['ktau'] * tau) ** 2)
        r.update({'ExzKraftangriff.FAab': FAab, 'ExzKraftangriff.PhiEn': PhiEn,
                  'ExzKraftangriff.sigmaAb': sAb})
        r['Safety.SDexz'] = sASV / sAb if sAb > 0 else 10000
        r['Safety.SKab'] = 1 if FAab <= 0 else min(FKRo, FKRu) / abs(FAab)
    r.update({'Last.sigmaMax': sMax, 'Last.sigmaRed': sRed})

    # Safety factors.
    r['Safety.SFM'] = min(FMT, FM) / FMreqMax
    r['Safety.SyService'] = 1 / (FSAmax / (Rp_ * Amin) + nu)
    r['Safety.SD'] = sASV / sA if sA > 0 else 10000
    r['Safety.SP'] = SPmin
    r['Safety.SG'] = min(FKRo, FKRu) / (j['FQ'] / j['muTr']) if j['FQ'] > 0 else 1
    r['Safety.SF'] = Rp_ / sRed
    return r


def joint(**changes):
    j = dict(DEFAULTS)
    j['plates'] = [dict(p) for p in DEFAULTS['plates']]
    j.update(changes)
    return j


TWO_PLATES = [dict(De=40, Di=13.5, L=15, E=210000, pmax=700, alphaT=11.5e-6, Re=300),
              dict(De=40, Di=13.5, L=20, E=70000, pmax=300, alphaT=23e-6, Re=250)]

JOINTS = {
    # Tapped, dynamic, centric, 2003: the default M12 12.9 with a 42 mm plate.
    'tapped_dynamic_2003': joint(),
    # The same after the 1986 edition.
    'tapped_dynamic_1986': joint(Edition=1),
    # Through-bolted with nut, static, two plates, 8.8, hex head, 2003.
    'nut_static_2003': joint(JointKind=2, HeadType=2, dK=18, dw=16.6, FAmin=24900, FAmax=24900,
                             dwNut=16.6, m=10.8, NutType=1, Rp02=640, Rm=800, b=30,
                             sections=[(55, 12, 0)], plates=TWO_PLATES, FQ=2000, muTr=0.15,
                             Pos1=1, Pos2=2, n1=0.5, n2=0.5),
    # Through-bolted, nut driven, special nut with its own material, 1986, tolerance 6g, mean diameters.
    'nut_driven_1986': joint(JointKind=2, Edition=1, dwNut=17, m=12, NutType=4, DriveSide=2,
                             RmM=800, ReM=640, pGNut=900, sections=[(60, 12, 0)], b=30,
                             plates=TWO_PLATES, ToleranceClass=4, D2D3Choice=2,
                             muGmax=0.2, muKmax=0.16, FAmax=12000, FAmin=-2000),
    # Tapped, working temperature 150 degC, aluminium plate over a steel plate, 2003.
    'tapped_hot_2003': joint(TWork=150, alphaTBolt=11.5e-6, plates=TWO_PLATES,
                             sections=[(45, 12, 0)], b=30, FAmax=10000, FAmin=2000, n1=0.5,
                             n2=0.5, EnduranceChoice=2),
    # Necked-down bolt of two sections, eccentric load, tapped, 2003.
    'tapped_eccentric_2003': joint(sections=[(20, 9, 0), (40, 12, 0)], b=24, ExzCode=2, a=20, s=5,
                                   u=15, IBT=60000, AD=1500, IBers=50000, IBersPrime=50000,
                                   FAmax=8000, FAmin=0, plates=TWO_PLATES, SeamPart=1),
    # Eccentric load, through-bolted, 1986, M16.
    'nut_eccentric_1986': joint(Edition=1, d=16, P=2, dK=24, dw=22.5, JointKind=2, dwNut=22,
                                m=13, NutType=1, sections=[(80, 16, 0)], b=38, ExzCode=2, a=30,
                                s=8, u=20, IBT=200000, AD=3000, IBers=120000, IBersPrime=120000,
                                FAmax=20000, FAmin=5000, muTr=0.2, FQ=3000,
                                plates=[dict(De=60, Di=17.5, L=25, E=210000, pmax=700, alphaT=0, Re=300),
                                        dict(De=60, Di=17.5, L=30, E=210000, pmax=700, alphaT=0, Re=300)]),
}


def field_lines(j):
    for key, field in FIELDS.items():
        yield '%s=%r' % (field, j[key])
    yield 'Schraube.nSections=%d' % len(j['sections'])
    for i, (ls, ds_, dis) in enumerate(j['sections'], 1):
        yield 'Schraube.lSec[%d]=%r' % (i, ls)
        yield 'Schraube.dSec[%d]=%r' % (i, ds_)
        yield 'Schraube.diSec[%d]=%r' % (i, dis)
    yield 'Klemmstuecke.nPlates=%d' % len(j['plates'])
    for i, p in enumerate(j['plates'], 1):
        for key in ('De', 'Di', 'L', 'E', 'pmax', 'alphaT', 'Re'):
            yield 'Klemmstuecke.%s[%d]=%r' % (key, i, p[key])


def main():
    print('# Joints and their results after VDI 2230, written by vdi2230_reference.py.')
    for name, j in JOINTS.items():
        print('[%s]' % name)
        for line in field_lines(j):
            print('in ' + line)
        for key, value in calculate(j).items():
            print('out %s=%.10g' % (key, value))


if __name__ == '__main__':
    main()
